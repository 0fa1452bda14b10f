/* Sampling of the analog sensor inputs. */
#ifndef ADC_H
#define ADC_H

#include <types.h>

#define ADC_CHANNELS 4U

void adc_init(void);
u16 adc_read(u8 channel);

#endif /* ADC_H */
