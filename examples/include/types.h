/* Fixed-width types for the example projects. */
#ifndef TYPES_H
#define TYPES_H

typedef unsigned char  u8;
typedef signed char    s8;
typedef unsigned short u16;
typedef signed short   s16;
typedef unsigned long  u32;
typedef signed long    s32;

#endif /* TYPES_H */
