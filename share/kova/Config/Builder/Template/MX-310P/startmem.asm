; Reset entry of $(TARGET_NAME) ($(TARGET_CHIP)) and the bounds of its memory.
$(TARGET_CHANGE_MEMORY)        .section    vector
        .data.l     _reset
        .section    code
        .global     _reset
        .extern     _main
_reset:
        mov.l       #__RAM_END+1, sp
        jsr         _main
?halt:
        bra         ?halt
        .end
