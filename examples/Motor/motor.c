#include <board.h>
#include "motor.h"
#include "filter.h"

#define PWM_DUTY (*(volatile u16 *)0x0120)

static lowpass speed_filter;
static q15 target_speed;

void motor_init(void)
{
    lowpass_init(&speed_filter, (q15)0x0800);
    target_speed = 0;
    PWM_DUTY = 0;
}

void motor_set_speed(q15 speed)
{
    target_speed = speed;
}

void motor_tick(void)
{
    q15 smoothed = lowpass_step(&speed_filter, target_speed);
    PWM_DUTY = (u16)((u16)smoothed >> 5);
}
