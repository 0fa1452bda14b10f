#include <stdio.h>
#ifdef DEBUG
static int f(char *p, int n) { return n; }
#else
int main(void)
{
  int x = 1; /* c */
  return x;
}
#endif
