#include <board.h>
#include "adc.h"

#define ADC_CTRL   (*(volatile u8 *)0x0040)
#define ADC_DATA   (*(volatile u16 *)0x0042)
#define ADC_START  0x80U
#define ADC_BUSY   0x40U

void adc_init(void)
{
    ADC_CTRL = 0;
}

u16 adc_read(u8 channel)
{
    ADC_CTRL = (u8)(ADC_START | (channel & 0x03U));
    while (ADC_CTRL & ADC_BUSY) {
    }
    return ADC_DATA;
}
