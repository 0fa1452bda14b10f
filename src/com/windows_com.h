// The component object model of a Win32 build: the system headers' own
// types, result codes, interfaces and OLE automation functions (ole32,
// oleaut32), which com_types.h, bstr.h, variant.h and safe_array.h stand in
// for on a POSIX host. Included through com_types.h only.
//
// As in platform/win32_api.h, the macros that rename functions to their A
// or W forms go, so that they rename none of our own members.
#pragma once

#ifndef _WIN32
#error "windows_com.h is for a Win32 build"
#endif

#include "platform/win32_api.h"

#include <objbase.h>
#include <oleauto.h>

#undef CreateProcess
#undef FormatMessage
#undef GetComputerName
#undef GetMessage
#undef GetObject
#undef GetPrivateProfileString
#undef GetUserName
#undef LoadString
#undef MessageBox
#undef ReplaceFile
#undef WriteProfileString
