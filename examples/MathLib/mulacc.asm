; s32 q15_mac(const q15 *a, const q15 *b, u16 count)
; Multiply-accumulate of two Q15 vectors with the MX-520 MAC unit.
        .include    "board.inc"
        .section    code
        .global     _q15_mac
_q15_mac:
        clr.l       d0
        tst.w       d2
        beq         ?done
?loop:
        mov.w       @a0+, d3
        mac.w       @a1+, d3, d0
        dec.w       d2
        bne         ?loop
?done:
        rts
        .end
