#include "a.h"
/* #include "b.h"
*/ #include <c.h>
// #include "d.h"
const char *s = "/*"; #include "e.h"
