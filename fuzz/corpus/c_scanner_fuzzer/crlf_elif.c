#if 0
int a[10];
#elif 1
char* s = "a;{b}"; // }
#else
long c = '\'';
#endif x
