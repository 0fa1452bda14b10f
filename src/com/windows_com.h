// The component object model of a Win32 build: the system headers' own
// types, result codes, interfaces and OLE automation functions (ole32,
// oleaut32), which com_types.h, bstr.h, variant.h and safe_array.h stand in
// for on a POSIX host. Included through com_types.h only.
//
// The system headers name many functions with macros (MessageBox for
// MessageBoxA, LoadLibrary for LoadLibraryA, ...) that would rename the
// members of the system's own classes that carry the same names in one
// file and not in another; those macros are taken back here. Code that
// calls the Win32 functions names the A or W function itself.
#pragma once

#ifndef _WIN32
#error "windows_com.h is for a Win32 build"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include "com/windows_macros.h"
