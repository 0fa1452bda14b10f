/* Speed control of one brushless motor. */
#ifndef MOTOR_H
#define MOTOR_H

#include <types.h>
#include "fixmath.h"

void motor_init(void);
void motor_set_speed(q15 speed);
void motor_tick(void);

#endif /* MOTOR_H */
