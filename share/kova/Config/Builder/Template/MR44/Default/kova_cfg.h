/* Configuration of $(TARGET_NAME) ($(TARGET_CHIP)). */
#ifndef KOVA_CFG_H
#define KOVA_CFG_H

#define  __USE_HEAP     0
#define  __PROJECT_NAME "$(TARGET_NAME)"

#endif
