/* Board definitions shared by every project of the example workspace. */
#ifndef BOARD_H
#define BOARD_H

#include "types.h"

#define BOARD_CLOCK_HZ      20000000UL
#define BOARD_TICK_HZ       1000U

#define LED_PORT            (*(volatile u8 *)0x00E0)
#define LED_STATUS          0x01U
#define LED_FAULT           0x02U

void board_init(void);

#endif /* BOARD_H */
