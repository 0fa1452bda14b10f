; Reset entry of the Motor application (MX-520).
        .include    "board.inc"
        .section    vector
        .data.l     _reset
        .section    code
        .global     _reset
        .extern     _main
_reset:
        mov.l       #BOARD_STACK_TOP, sp
        jsr         _main
?halt:
        bra         ?halt
        .end
