typedef enum { A = (1), B } mode_t;
enum mode get(void) { if (a == b) { } }
static const int t[2][2] = {{1, 2}, {3, 4}};
__attribute__((weak)) void hook(void) { }
FOO(x)
int after(void) { const char *s = "{"; char c = '}'; /* } */ }
#pragma once
__regbank(2) void isr(void) { }
