/* $(TARGET_NAME): the main program ($(BANNER)). */
#include "kova_cfg.h"

void main(void)
{
    for (;;) {
    }
}
