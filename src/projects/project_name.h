// Names of projects and of the files made for them: what a user may call a
// project, and the path checks that keep a template inside its folders.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

// Blanks trimmed, then the extensions ".", ".abs" and ".lib" (any case)
// removed for as long as the name ends in one: "App.lib." gives "App".
std::string NormalizeProjectName(std::string_view name);

// Not empty, and none of / : , ; * ? " < > | \ % nor a control or
// double-byte character.
bool IsValidProjectName(std::string_view name);

// Whether `name` (a file name of a template list, perhaps with folders)
// stays inside the folder it is taken against: not empty, no drive, not
// rooted or a network path, and no ".." among its parts.
bool IsNameInsideFolder(std::string_view name);

// Whether any part of the path climbs: "..", or any other part of only dots
// and blanks, which Windows reads as "..".
bool HasParentReference(std::string_view path);

// `path` with the base name of its file part replaced: directory and
// extension stay (".\Debug\Motor.abs" with "Pump" gives ".\Debug\Pump.abs").
std::string ReplaceBaseName(std::string_view path, std::string_view new_base_name);

}  // namespace zelvan
