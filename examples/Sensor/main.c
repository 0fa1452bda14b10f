#include <board.h>
#include "adc.h"

static u16 samples[ADC_CHANNELS];

void board_init(void)
{
    LED_PORT = LED_STATUS;
}

int main(void)
{
    u8 channel;

    board_init();
    adc_init();
    for (;;) {
        for (channel = 0; channel < ADC_CHANNELS; ++channel) {
            samples[channel] = adc_read(channel);
        }
        LED_PORT = (samples[0] > 0x3FFU) ? LED_FAULT : LED_STATUS;
    }
}
