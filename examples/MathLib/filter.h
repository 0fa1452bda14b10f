/* First-order low-pass filter on Q15 samples. */
#ifndef FILTER_H
#define FILTER_H

#include "fixmath.h"

typedef struct {
    q15 alpha;
    q15 state;
} lowpass;

void lowpass_init(lowpass *f, q15 alpha);
q15 lowpass_step(lowpass *f, q15 sample);

#endif /* FILTER_H */
