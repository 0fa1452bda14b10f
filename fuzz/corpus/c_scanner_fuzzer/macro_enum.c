#define MAX(a, b) \
  ((a) > (b) ? (a) : (b))
enum e { A, B = (1 << 2) };
#pragma once
void g(int & r, ...) { MAX(1, 2); }
