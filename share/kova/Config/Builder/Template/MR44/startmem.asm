; Reset entry of $(TARGET_NAME) ($(TARGET_CHIP)) and the bounds of its memory.
$(TARGET_CHANGE_MEMORY)MONITOR	EQU	$(INSERTPROGRAM)
        EXTERN  _main
        ORG     $(MAINPROGRAM)
RESET:  LD      SP, __RAM_END+1
        CALL    _main
HALT:   JMP     HALT
        END
