/* $(TARGET_NAME): mein puroguramu ($(BANNER)). */
#include "kova_cfg.h"

void main(void)
{
    for (;;) {
    }
}
