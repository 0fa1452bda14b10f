// The private-profile functions: reading and writing single values of
// INI-style files, with the behaviour of the Windows functions of that name.
//
// File syntax (every file the system keeps uses it):
//
//   ; a comment line
//   [Section]
//   Key=Value
//   Other = " quoted value "
//
// Reading. Section and key names match without regard to case. Blanks
// (space, tab) are ignored around a section name inside its brackets, around
// keys and around values, and around the section and key arguments. After
// trimming, one matching pair of surrounding `"` or `'` is removed from a
// value, keeping the blanks inside (`k= " v " ` reads ` v `). The first of
// two equal keys wins; of two equal sections only the first is searched.
// Lines before the first section belong to no section. A line whose first
// non-blank character is `;` is a comment; there are no inline comments
// (`k=v ;x` reads `v ;x`); `#k=v` is a key named `#k`. A section header ends
// at the first `]`. Lines without `=` are skipped. CR LF, LF and a lone CR
// end lines alike. A missing file, section or key gives the default.
//
// Writing. A new file holds `[S]` and `k=v` lines, each ended by CR LF. A
// new section goes at the end of the file, a new key after the last key of
// its section. An existing key is replaced in place, keeping the case of the
// names already in the file; comments, blank lines and all other lines keep
// their places and bytes; a missing final line end is added. Values are
// written as given. A section, key or value holding CR or LF is refused.
// Deleting a key leaves its section; deleting a section removes its header
// and keys but keeps its comment lines; deleting what does not exist succeeds.
//
// Caching. Parsed files stay in a cache that is checked against the file's
// size and modification time on every call, because another program may
// change a file in between. Writes are kept in the cache and reach the disk at
// the latest at Flush (or when the PrivateProfile is destroyed); a flush is
// one atomic write (WriteFileAtomic) and an unchanged file is not rewritten.
// When the file changed on disk while writes were pending, the pending
// writes are applied again to the new contents. A failed flush drops the
// pending writes of that file, so the cache never shows what the disk lacks.
// A file that exists but cannot be read reads as empty and is not written.
//
// One PrivateProfile serves the whole process; it is not thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FileSystem;

class PrivateProfile {
 public:
  explicit PrivateProfile(FileSystem& fs);
  ~PrivateProfile();  // flushes every pending write
  PrivateProfile(const PrivateProfile&) = delete;
  PrivateProfile& operator=(const PrivateProfile&) = delete;

  // The value of `key` in `section`, or `default_value`. `buffer_size`
  // behaves like the caller's buffer of the Windows call: a longer value is
  // cut to buffer_size - 1 characters. 0 means no limit.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::string_view file,
                        size_t buffer_size = 0);
  // Like GetString, and tells whether the key was present.
  bool Lookup(std::string_view section, std::string_view key, std::string_view file,
              std::string* value);
  // The integer at the start of the value (decimal, optional sign), or
  // `default_value` when the key is missing; a value without digits gives 0.
  int GetInt(std::string_view section, std::string_view key, int default_value,
             std::string_view file);
  bool HasSection(std::string_view section, std::string_view file);
  // Names of the keys of the first section of that name, each once, in file order.
  std::vector<std::string> GetKeyNames(std::string_view section, std::string_view file);
  // Names of all sections in file order, each once (as first written).
  std::vector<std::string> GetSectionNames(std::string_view file);
  // The key/value pairs of a section, as the key lines stand.
  std::vector<std::pair<std::string, std::string>> GetSection(std::string_view section,
                                                              std::string_view file);

  // Set `key` of `section` to `value`, creating the file, section or key as
  // needed. False, with nothing changed, for CR or LF in an argument, an
  // empty section or key name, a name that would not read back as written
  // (`]` in a section name; `=` in a key, or a key starting with `;` or `[`),
  // or a file that exists read-only, cannot be read or is a directory.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view file);
  // Every line of `key` in the first section of that name goes.
  bool DeleteKey(std::string_view section, std::string_view key, std::string_view file);
  // Every section of that name goes.
  bool DeleteSection(std::string_view section, std::string_view file);
  // Writes the pending changes of `file` to disk. True when nothing was pending.
  bool Flush(std::string_view file);
  bool FlushAll();
  // Forgets the cached copy of `file` (pending writes are flushed first).
  void Forget(std::string_view file);

  // Why the last call that failed failed, in a few words that do not repeat
  // the file's name ("the file is read-only").
  const std::string& LastError() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvan
