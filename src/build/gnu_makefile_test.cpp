#include "build/gnu_makefile.h"
