/* $(TARGET_NAME): the interface of the library. */
#ifndef LIBRARY_H
#define LIBRARY_H

int library_version(void);

#endif
