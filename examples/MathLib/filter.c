#include "filter.h"

void lowpass_init(lowpass *f, q15 alpha)
{
    f->alpha = alpha;
    f->state = 0;
}

q15 lowpass_step(lowpass *f, q15 sample)
{
    s32 delta = (s32)sample - (s32)f->state;
    f->state = q15_sat((s32)f->state + (s32)q15_mul((q15)q15_sat(delta), f->alpha));
    return f->state;
}
