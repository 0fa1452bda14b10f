#include <board.h>
#include "motor.h"

volatile u32 ticks;

void board_init(void)
{
    LED_PORT = 0;
}

void timer_isr(void)
{
    ++ticks;
    motor_tick();
}

int main(void)
{
    board_init();
    motor_init();
    motor_set_speed(Q15_ONE / 2);
    for (;;) {
        LED_PORT ^= (ticks & 0x200U) ? LED_STATUS : 0;
    }
}
