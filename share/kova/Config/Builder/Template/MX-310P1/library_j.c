/* $(TARGET_NAME): $(TARGET_CHIP) no raiburari. */
#include "library.h"

int library_version(void)
{
    return 1;
}
