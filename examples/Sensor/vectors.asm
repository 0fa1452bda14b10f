; Interrupt vectors and reset entry of the Sensor application (MR44).
        .include    "board.inc"
        .section    vectors
        .word       _reset
        .section    code
        .global     _reset
        .extern     _main
_reset:
        ldi         sp, BOARD_STACK_TOP
        call        _main
?halt:
        jmp         ?halt
        .end
