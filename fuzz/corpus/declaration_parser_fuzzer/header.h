#ifndef UTIL_H
#define UTIL_H
#ifdef __cplusplus
extern "C" {
#endif
static inline int one(void) { return 1; }
#ifdef CONFIG_X
int x(void);
#else
static inline int x(void) { return 0; }
#endif
#ifdef __cplusplus
}
#endif
#endif
