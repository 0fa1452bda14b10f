// Text helpers over one option string (compile, link or convert options).
//
// An option string is one line of arguments separated by blanks (space or
// tab). A double quote toggles quoting: blanks inside quotes belong to the
// argument, and the quotes themselves are dropped when an argument is read.
// Option names are case-sensitive ("-I" is not "-i"). Positions are byte
// indexes into the text; -1 means "not found".
//
// "At the start of an argument" below means outside quotes and at the start
// of the text or right after a blank.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// One argument of an option string as every reader of one splits it: from
// where it starts up to the first blank outside quotes. Readers differ only
// in whether blanks before it are skipped and whether they want its text.
struct QuotedArgumentOptions {
  bool skip_leading_blanks = false;  // else it starts at `from`, even on a blank
  bool unquote = false;              // fill `unquoted`
};
struct QuotedArgument {
  size_t begin = 0;         // its first character (the text's size: none)
  size_t end = 0;           // the blank that ends it, or the text's size
  std::string unquoted;     // its characters without the quotes, when asked
  bool open_quote = false;  // a quote was left open (it runs to the end)
};
QuotedArgument ScanQuotedArgument(std::string_view text, size_t from,
                                  QuotedArgumentOptions options = {});

// Every argument of an option string as written, quotes kept.
std::vector<std::string_view> QuotedArgumentSlices(std::string_view text);

// Index of the first occurrence of `token` outside double quotes; -1 when
// there is none, or when `text` or `token` is empty.
std::ptrdiff_t FindOutsideQuotes(std::string_view text, std::string_view token);

// Skips leading blanks, then copies the first argument into `arg` without
// its quotes. Returns the number of characters consumed: the skipped blanks
// and the argument, not the blank that ends it.
size_t ReadFirstArgument(std::string_view text, std::string* arg);

// Removes the first argument that begins with `option` (at the start of an
// argument): `rest` is the text before it followed by the text from the
// first blank outside quotes after it, so text attached to the option goes
// with it ("-ofile" as a whole). A value separated by a blank stays. False,
// and `rest` untouched, when no argument begins with `option`.
bool RemoveOption(std::string_view text, std::string_view option, std::string* rest);

// Removes the first argument that is exactly `option` (a switch such as
// "-c"; "-cpp" is left alone). `rest` is the text before it followed by the
// text after it. False, and `rest` untouched, when absent.
bool RemoveWordOption(std::string_view text, std::string_view option, std::string* rest);

// True when `option` is present as a whole word: outside quotes, preceded by
// the start, a blank or a tab and followed by a blank, a tab or the end.
bool HasWordOption(std::string_view text, std::string_view option);

// Position of the output option "-o" at the start of an argument, skipping
// "-opndtrk" (another option); -1 when none.
std::ptrdiff_t FindOutputOption(std::string_view text);

// The argument of the output option: the text after "-o", or when a blank
// follows "-o" the next argument, up to the next blank outside quotes, quotes
// removed ("-oa.abs", "-o a.abs" and "-o \"my a.abs\"" all work). False when
// the text has no output option; an "-o" at the very end gives true and an
// empty argument.
bool ReadOutputArgument(std::string_view text, std::string* arg);

// Removes the output option and its argument (attached or the next one).
// False, and `rest` untouched, when there is no output option.
bool RemoveOutputOption(std::string_view text, std::string* rest);

// Position of the listing option: an argument beginning with "-l" other than
// "-licm", "-lvcm", "-loop_unroll" and "-loop_rotation"; -1 when none.
std::ptrdiff_t FindLibraryOption(std::string_view text);

// Splits an option string into the argument vector handed to a driver
// library: runs of blanks separate arguments, a double quote toggles quoting
// and is dropped. A pair of quotes with nothing in it is an empty argument.
std::vector<std::string> SplitArguments(std::string_view text);

// The values of every `option` (e.g. "-I") that starts an argument, in text
// order: the text attached to the option, or when blanks follow it the next
// argument, quotes removed ("-Ia", "-I a" and "-I \"c:\\my dir\"" all give
// one value). Empty values are left out; a value is never split further.
std::vector<std::string> ExtractOptionValues(std::string_view text, std::string_view option);

// The endianness option of a compile option text for a CPU: "-R" followed by
// its value ("-Rbe") when the compiler table accepts "-R" for that CPU and
// the text holds it; "" otherwise.
std::string GetEndianOptionText(std::string_view compile_options, std::string_view cpu_name);

}  // namespace zelvan
