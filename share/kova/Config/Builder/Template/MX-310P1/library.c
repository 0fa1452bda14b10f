/* $(TARGET_NAME): a library for $(TARGET_CHIP). */
#include "library.h"

int library_version(void)
{
    return 1;
}
