// Option tests and small pieces of text that the makefile rules share, and
// the writing of a finished KMAKE text.
//
// Option tests are token tests: an option is present when it stands as a
// whole argument outside double quotes. Arguments are separated by blanks
// (space or tab); a double quote toggles quoting.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zelvan {

class LanguageTable;

// The text holds `a` or `b`: two memchr calls, each a few wide compares
// (find_first_of costs a memchr per character, and a plain loop a compare
// per character; rules and whole path tables are tested this way).
inline bool HasEither(std::string_view text, char a, char b) {
  return !text.empty() && (std::memchr(text.data(), a, text.size()) != nullptr ||
                           std::memchr(text.data(), b, text.size()) != nullptr);
}

// The text holds a blank or a tab.
inline bool HasBlank(std::string_view text) {
  return HasEither(text, ' ', '\t');
}

// `option` stands as a whole argument.
bool HasOption(std::string_view options, std::string_view option);
// An argument begins with `prefix`.
bool HasOptionPrefix(std::string_view options, std::string_view prefix);
// The listing option: an argument beginning with "-l" other than "-licm",
// "-lvcm", "-loop_unroll" and "-loop_rotation".
bool HasListingOption(std::string_view options);
// The file the listing option names: the text after its first "f" ("-lf"
// followed by the name, as in "-lf.\list\a.lst"). False when there is no
// listing option or it names no file.
bool GetListingFile(std::string_view options, std::string* file);
// What in a compile's options decides the steps that move its side files,
// and the word options the compile rule asks for, found in one pass over
// the arguments (ReadSideFileFacts).
struct SideFileFacts {
  bool listing = false;        // HasListingOption
  bool names_listing = false;  // GetListingFile, and its file
  std::string listing_file;
  bool has_oal = false;        // "-Oal"
  bool has_c = false;          // "-c"
  bool has_xf = false;         // "-XF"
  bool has_xi = false;         // "-Xi"
  bool has_kumpp_on = false;   // "-kumpp=on"
  bool has_kumpp_off = false;  // "-kumpp=off"
  bool has_mi = false;         // "-Mi"
};

SideFileFacts ReadSideFileFacts(std::string_view options);

// The arguments as written, quotes kept.
std::vector<std::string_view> ArgumentSlices(std::string_view options);
// Every `option` ("-D", "-I" ...) with its value, attached or separated,
// written attached ("-DX -I\"a b\""), joined by blanks.
std::string CollectOptionTexts(std::string_view options, std::string_view option);
// The argument `option` followed by its separated value, as written
// ("-cc 0xFF"); empty when absent.
std::string OptionWithValue(std::string_view options, std::string_view option);

// Link options split into the option words and the object and library
// names among them (arguments that are no option and whose extension is a
// library or object extension; the argument of a separated "-o" is its
// option's). Both joined by single blanks.
void SplitLinkOptions(std::string_view options, const LanguageTable& languages, std::string* words,
                      std::string* names);

// Commands as rule lines: "\techo <command>\n" unless the command is an
// echo itself, then "\t<command>\n".
void AppendCommandLines(const std::vector<std::string>& commands, std::string* out);

// The lines "NAME=value" of a block of make variables as a macro table;
// lines without "=" are skipped, and a name defined again takes the later
// value (as make does).
void AppendMacroLines(std::string_view block, std::vector<std::string>* names,
                      std::vector<std::string>* values);

// Drive and directory of a path as the macro blocks write them: trailing
// `\` removed (all of them, or one), `empty` when both are empty.
std::string DirectoryText(std::string_view path, bool strip_all, std::string_view empty = {});
// `path` without any trailing `\`.
std::string StripTrailingBackslashes(std::string_view path);
// `path` with its extension replaced (`extension` without dot).
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// KMAKE reads "#" as a comment; "'#" is a plain "#".
std::string EscapeComments(std::string_view body);

// A text as a file written in text mode holds it: every line feed a CR LF.
std::string ToTextModeFile(std::string_view text);

}  // namespace zelvan
