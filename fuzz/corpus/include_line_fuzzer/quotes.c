x = "include"; include "a\"b.h"include <>
#include "
