// The slot table: every slot of the component's five objects called by name
// through IDispatch::Invoke, as a script host calls it, in each shape a
// script may give it. The library test runs it on the module it loads; the
// COM client of a Windows build runs it on the objects CoCreateInstance
// makes, through the component runtime. What no script can give (null out
// pointers, request records) is the library test's alone, through the slots.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "com/com_ptr.h"
#include "com/variant_args.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
class FileSystem;
}

namespace zelvan::testing {

// One call by name. The arguments, separated by blanks:
//   'text'    VT_BSTR ($\ starts a path in the workspace's folder); &'text' by reference
//   12        VT_I4          -   VT_EMPTY       ?   left out (VT_ERROR, DISP_E_PARAMNOTFOUND)
//   @         a VARIANT by reference, for an out value; @'text' one holding text
//   [a;b]     a string array by value       <7;8>   an array of VT_I4 by value
//   *7;0      VT_I4 by reference to the numbers (a zero-terminated list)
// `out` is the call's result as shown, then "|" and what each @ received.
struct SlotRow {
  char object;  // Service, Project, Command, Version, Konnect
  DISPID slot;
  const char* args;
  HRESULT hr;
  uint32_t status = 0;  // the workspace's afterwards (Service and Project calls that ran)
  const char* out = nullptr;
};

// Rows run in order on a workspace opened afresh; a row may see what an
// earlier one changed.
struct SlotSuite {
  const char* name;
  std::vector<SlotRow> rows;
};
const std::vector<SlotSuite>& SlotSuites();

// A workspace of two projects in a folder of its own, and the five objects
// connected with a recording IDE.
class SlotTable {
 public:
  using Create = std::function<ComPtr<IDispatch>(const CLSID&)>;
  // `fs` gives the component's paths of the folder's files.
  explicit SlotTable(FileSystem& fs);
  ~SlotTable() { objects_.clear(); }

  // Writes the workspace, makes each object with `create`, connects and
  // opens the workspace; one line for each thing that failed.
  std::vector<std::string> Open(const Create& create);
  // Calls each row; one line for each row that answered otherwise.
  std::vector<std::string> Run(const std::vector<SlotRow>& rows);

  // The component's path of `relative` ('/' separators) in the folder.
  std::string Path(std::string_view relative) const;
  const TempDir& dir() const { return dir_; }
  RecordingIdeHost& ide() { return ide_; }
  void ReleaseObjects() { objects_.clear(); }

 private:
  std::string Expand(std::string text) const;
  std::vector<VARIANT> Arguments(std::string_view text);
  std::vector<std::string> Check(const SlotRow& row, HRESULT hr, const VARIANT& result,
                                 std::vector<VARIANT>& args, size_t reports);
  LONG Status();

  TempDir dir_;
  FileSystem& fs_;
  RecordingIdeHost ide_;
  VariantArgs args_;
  std::map<char, ComPtr<IDispatch>> objects_;
};

}  // namespace zelvan::testing
