#include "fixmath.h"

q15 q15_sat(s32 value)
{
    if (value > 0x7FFFL) {
        return (q15)0x7FFF;
    }
    if (value < -0x8000L) {
        return (q15)-0x8000;
    }
    return (q15)value;
}

q15 q15_mul(q15 a, q15 b)
{
    s32 product = (s32)a * (s32)b;
    return q15_sat(product >> 15);
}
