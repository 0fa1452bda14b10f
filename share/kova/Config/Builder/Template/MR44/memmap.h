/* Memory map of $(TARGET_NAME), from the memory model of $(TARGET_CHIP). */
#ifndef MEMMAP_H
#define MEMMAP_H

#define ROM_START       $(ROM_START)
#define ROM_END         $(ROM_END)
#define RAM_START       $(RAM_START)
#define RAM_SIZE        $(RAM_SIZE)
#define STACK_TOP       $(STACK_TOP)
#define MAIN_PROGRAM    $(MAINPROGRAM)

#endif
