/* Q15 fixed-point arithmetic. */
#ifndef FIXMATH_H
#define FIXMATH_H

#include <types.h>

typedef s16 q15;

#define Q15_ONE   ((q15)0x7FFF)

q15 q15_mul(q15 a, q15 b);
q15 q15_sat(s32 value);
s32 q15_mac(const q15 *a, const q15 *b, u16 count);

#endif /* FIXMATH_H */
