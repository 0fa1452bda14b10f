// The check of a file or folder name the user typed, made before a project
// is created, copied or renamed under it.
#pragma once

#include <string_view>

namespace zelvan {

// True when the directory, file name and extension of `path` (its drive left
// out) hold none of the characters / : , ; * ? " < > | %, no control
// character and no double-byte lead byte of the current code page
// (ansi_text.h). A path whose parts are
// all empty (only a drive, or nothing) is valid.
bool IsValidFileName(std::string_view path);

}  // namespace zelvan
