int add(a, b)
int a;
char *b;
{
  return a;
}
void (*signal(int sig, void (*fn)(int)))(int) { return 0; }
