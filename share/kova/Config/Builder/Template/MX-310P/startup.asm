; Reset entry of $(TARGET_NAME) ($(TARGET_CHIP)).
        .section    vector
        .data.l     _reset
        .section    code
        .global     _reset
        .extern     _main
_reset:
        jsr         _main
?halt:
        bra         ?halt
        .end
