// How the methods of the service's objects take their arguments, in one
// place: strings from VARIANTs and BSTRs, the SAFEARRAYs a caller hands
// over, and values stored through VARIANTs that hold references (see
// component_interfaces.h for the rules).
#pragma once

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/com_types.h"
#include "com/variant.h"
#include "model/workspace.h"

namespace zelvan {

class SourceFile;

// A string argument; not ok() when the VARIANT holds something else.
class TextArg {
 public:
  explicit TextArg(const VARIANT& v);
  explicit TextArg(BSTR text) : value_(TextFromBstr(text)) {}

  bool ok() const { return value_.has_value(); }
  // "" when not ok.
  const std::string& str() const { return ok() ? *value_ : empty_; }
  operator ArgText() const { return value_ ? ArgText(*value_) : std::nullopt; }

 private:
  std::optional<std::string> value_;
  std::string empty_;
};

// A VARIANT holds a string (VT_BSTR, by reference, or a VARIANT by reference to either).
bool IsText(const VARIANT& v);

// The SAFEARRAYs that VARIANT arguments passed by value hold belong to the
// method once called: each method that takes VARIANTs holds one scope over
// them, and the arrays are destroyed when it returns. Arrays passed by
// reference stay the caller's.
class ArgumentScope {
 public:
  ArgumentScope(std::initializer_list<const VARIANT*> args);
  ~ArgumentScope();
  ArgumentScope(const ArgumentScope&) = delete;
  ArgumentScope& operator=(const ArgumentScope&) = delete;

 private:
  std::array<const VARIANT*, 4> args_{};
};

// Stores through a VARIANT argument that must hold a reference (a VARIANT,
// BSTR or BSTR array by reference); false for any other.
bool StoreTextThrough(const VARIANT& target, std::string_view text);
bool StoreStringsThrough(const VARIANT& target, const std::vector<std::string>& items);

// The numbers of a VT_I4, of an array of VT_I4 or of VARIANTs holding
// VT_I4, by value or by reference. False for anything else.
bool LongsFromVariant(const VARIANT& v, std::vector<LONG>* out);
// The strings of a string or of a string array (see StringsFromVariant).
bool TextsFromVariant(const VARIANT& v, std::vector<std::string>* out);

// The project a name names: its output name or project file base name
// (FindProject), else its output name without extension
// (ProjectList::ResolveFile). Null, with kStatusProjectNotFound set, when none does.
Project* FindNamedProject(Workspace& workspace, std::string_view name);

// A file of `project` by full path, or by its path relative to the project
// directory. Null, with kStatusFileNotInProject set, when it has none.
SourceFile* FindNamedFile(Workspace& workspace, Project& project, std::string_view file);

// Each item followed by `;`.
std::string JoinWithSemicolons(const std::vector<std::string>& items);

}  // namespace zelvan
