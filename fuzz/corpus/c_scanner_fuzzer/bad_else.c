#else
x