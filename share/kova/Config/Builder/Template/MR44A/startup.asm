; Reset entry of $(TARGET_NAME) ($(TARGET_CHIP)).
        EXTERN  _main
        SEGMENT CODE
RESET:  CALL    _main
HALT:   JMP     HALT
        END
