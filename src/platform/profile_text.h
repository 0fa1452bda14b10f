// The text engine behind the private-profile functions: one profile file
// parsed into lines, looked up and edited by the rules of private_profile.h,
// and rendered back.
//
// Every line keeps its bytes and its own line end (CR LF, LF, lone CR or
// none for a last line without one), so an edit changes only the lines it
// concerns and Render gives every other byte back as it was read. Lines are
// grouped by section, and each section's keys are indexed (on first use),
// so lookups and edits cost about the same on a 5 MB file as on a small one.
//
// Not thread-safe: const lookups fill the key index of a section lazily.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

class ProfileText {
 public:
  enum class Edit { kUnchanged, kChanged, kRefused };

  ProfileText();
  explicit ProfileText(std::string_view text);
  ~ProfileText();
  ProfileText(const ProfileText& other);
  ProfileText& operator=(const ProfileText& other);
  ProfileText(ProfileText&&) noexcept;
  ProfileText& operator=(ProfileText&&) noexcept;

  // Lookups. Section and key arguments are trimmed of blanks and compared
  // without regard to ASCII case; only the first section of a name counts.

  // The value of the first line of `key`, trimmed and unquoted.
  bool Lookup(std::string_view section, std::string_view key, std::string* value) const;
  bool HasSection(std::string_view section) const;
  // Key names of the section, each once, in file order, as written in the file.
  std::vector<std::string> KeyNames(std::string_view section) const;
  // Every section name once, in file order, as first written.
  std::vector<std::string> SectionNames() const;
  // Every key line of the section in file order (duplicates included), each
  // with its key as written and its value as Lookup would read it.
  std::vector<std::pair<std::string, std::string>> SectionEntries(std::string_view section) const;

  // Edits. kRefused leaves the text as it was (see WriteRefusal);
  // kUnchanged means the text already said so.

  // Replaces the value of the first line of `key` in place (keeping the key
  // as written and the line's end), or adds `key=value` after the last key
  // of the section, or adds the section at the end of the text.
  Edit Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every line of `key` from the first section of that name.
  Edit DeleteKey(std::string_view section, std::string_view key);
  // Removes the header and key lines of every section of that name; its
  // comments, blank and other lines stay where they stood.
  Edit DeleteSection(std::string_view section);

  // Why Set would refuse these arguments, or empty when it would not: a CR
  // or LF anywhere, an empty section or key, or names that would not read
  // back as written (`]` in a section name; `=` in a key, or a key starting
  // with `;` or `[`). Arguments are taken as trimmed.
  static std::string WriteRefusal(std::string_view section, std::string_view key,
                                  std::string_view value);

  // The value text of a key line's raw value: blanks trimmed, then one
  // matching pair of surrounding `"` or `'` removed.
  static std::string_view ReadValue(std::string_view raw);

  std::string Render() const;
  // The size of Render(), without building it.
  size_t RenderedSize() const;

 private:
  struct Line;
  struct Section;

  void Parse(std::string_view text);
  const Section* FindSection(std::string_view trimmed_name) const;
  Section* FindSection(std::string_view trimmed_name);
  void RebuildSectionIndex();
  // A last line without line end gets CR LF, before anything is added after it.
  void EndLastLine();

  // The text parsed, which the lines read point into; shared with copies.
  std::shared_ptr<const std::string> source_;
  // sections_[0] holds the lines before the first header and has no header.
  std::vector<std::unique_ptr<Section>> sections_;
  // The position in sections_ of the first section of each name.
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> first_section_;
};

}  // namespace zelvan
