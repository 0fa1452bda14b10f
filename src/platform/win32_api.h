// <windows.h> for the Win32 files of the platform layer. Its macros that
// rename functions (DeleteFile to DeleteFileA, ...) would rename our own
// members of the same names too, so they go: these files call the ANSI
// functions by their full names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetFullPathName
#undef GetShortPathName
#undef LoadLibrary
#undef MoveFile
#undef RemoveDirectory
#undef SetCurrentDirectory

#include <string>

namespace zelvan {

// The host path of the file of `module` (null: the program); empty when the
// system cannot tell (module_path_win32.cpp).
std::string Win32ModuleFileName(HMODULE module);

}  // namespace zelvan
