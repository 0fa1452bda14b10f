#include "toolchain/option_text.h"

#include <algorithm>

#include "platform/ansi_text.h"
#include "toolchain/option_definition.h"
#include "toolchain/option_string.h"

namespace zelvan {
namespace {

constexpr std::string_view kOutputOption = "-o";

// Visits, in order, every position outside quotes that starts an argument
// and where `token` begins. `visit` returns true to stop; the stopping
// position is returned, or npos.
template <typename Visit>
size_t FindAtArgumentStart(std::string_view text, std::string_view token, Visit visit) {
  if (token.empty()) return std::string_view::npos;
  for (size_t i = 0; i < text.size();) {
    const QuotedArgument arg = ScanQuotedArgument(text, i, {.skip_leading_blanks = true});
    if (arg.begin == text.size()) break;
    if (text.substr(arg.begin).starts_with(token) && visit(arg.begin)) return arg.begin;
    i = arg.end;
  }
  return std::string_view::npos;
}

// Index of the first blank outside quotes at or after `from` (quotes counted
// from `from` on); text.size() when none.
size_t EndOfArgument(std::string_view text, size_t from) {
  return ScanQuotedArgument(text, from).end;
}

std::string Splice(std::string_view text, size_t cut_from, size_t resume_at) {
  std::string out(text.substr(0, cut_from));
  out.append(text.substr(resume_at));
  return out;
}

// Where the argument of an option ends, given the index just after its name:
// the attached text, or when blanks follow, the next argument.
size_t EndOfOptionArgument(std::string_view text, size_t after_name) {
  return ScanQuotedArgument(text, after_name, {.skip_leading_blanks = true}).end;
}

}  // namespace

QuotedArgument ScanQuotedArgument(std::string_view text, size_t from,
                                  QuotedArgumentOptions options) {
  QuotedArgument arg;
  size_t i = std::min(from, text.size());
  if (options.skip_leading_blanks) {
    while (i < text.size() && IsBlank(text[i]))
      ++i;
  }
  arg.begin = i;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(c)) {
      break;
    } else if (options.unquote) {
      arg.unquoted.push_back(c);
    }
  }
  arg.end = i;
  arg.open_quote = quoted;
  return arg;
}

std::vector<std::string_view> QuotedArgumentSlices(std::string_view text) {
  std::vector<std::string_view> slices;
  for (size_t i = 0;;) {
    const QuotedArgument arg = ScanQuotedArgument(text, i, {.skip_leading_blanks = true});
    if (arg.begin == text.size()) return slices;
    // Option texts hold a few words: room for them at once, not one doubling each.
    if (slices.empty()) slices.reserve(8);
    slices.push_back(text.substr(arg.begin, arg.end - arg.begin));
    i = arg.end;
  }
}

std::ptrdiff_t FindOutsideQuotes(std::string_view text, std::string_view token) {
  if (text.empty() || token.empty()) return -1;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!quoted && text.substr(i).starts_with(token)) return static_cast<std::ptrdiff_t>(i);
    if (text[i] == '"') quoted = !quoted;
  }
  return -1;
}

size_t ReadFirstArgument(std::string_view text, std::string* arg) {
  QuotedArgument first =
      ScanQuotedArgument(text, 0, {.skip_leading_blanks = true, .unquote = true});
  *arg = std::move(first.unquoted);
  return first.end;
}

bool RemoveOption(std::string_view text, std::string_view option, std::string* rest) {
  size_t pos = FindAtArgumentStart(text, option, [](size_t) { return true; });
  if (pos == std::string_view::npos) return false;
  *rest = Splice(text, pos, EndOfArgument(text, pos + option.size()));
  return true;
}

bool RemoveWordOption(std::string_view text, std::string_view option, std::string* rest) {
  size_t pos = FindAtArgumentStart(text, option, [&](size_t i) {
    size_t end = i + option.size();
    return end == text.size() || IsBlank(text[end]);
  });
  if (pos == std::string_view::npos) return false;
  *rest = Splice(text, pos, pos + option.size());
  return true;
}

bool HasWordOption(std::string_view text, std::string_view option) {
  // Found as RemoveWordOption finds it, without making the rest: every rule
  // asks this of its options.
  return FindAtArgumentStart(text, option, [&](size_t i) {
           size_t end = i + option.size();
           return end == text.size() || IsBlank(text[end]);
         }) != std::string_view::npos;
}

std::ptrdiff_t FindOutputOption(std::string_view text) {
  size_t pos = FindAtArgumentStart(
      text, kOutputOption, [&](size_t i) { return !text.substr(i).starts_with("-opndtrk"); });
  return pos == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(pos);
}

bool ReadOutputArgument(std::string_view text, std::string* arg) {
  std::ptrdiff_t pos = FindOutputOption(text);
  if (pos < 0) return false;
  ReadFirstArgument(text.substr(static_cast<size_t>(pos) + kOutputOption.size()), arg);
  return true;
}

bool RemoveOutputOption(std::string_view text, std::string* rest) {
  std::ptrdiff_t pos = FindOutputOption(text);
  if (pos < 0) return false;
  size_t start = static_cast<size_t>(pos);
  *rest = Splice(text, start, EndOfOptionArgument(text, start + kOutputOption.size()));
  return true;
}

std::ptrdiff_t FindLibraryOption(std::string_view text) {
  size_t pos = FindAtArgumentStart(text, "-l", [&](size_t i) {
    std::string_view at = text.substr(i);
    return !at.starts_with("-licm") && !at.starts_with("-lvcm") &&
           !at.starts_with("-loop_unroll") && !at.starts_with("-loop_rotation");
  });
  return pos == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(pos);
}

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  for (size_t i = 0;;) {
    QuotedArgument arg =
        ScanQuotedArgument(text, i, {.skip_leading_blanks = true, .unquote = true});
    if (arg.begin == text.size()) return args;
    args.push_back(std::move(arg.unquoted));
    i = arg.end;
  }
}

std::vector<std::string> ExtractOptionValues(std::string_view text, std::string_view option) {
  std::vector<std::string> values;
  if (option.empty()) return values;
  size_t from = 0;
  while (from < text.size()) {
    size_t pos = FindAtArgumentStart(text.substr(from), option, [](size_t) { return true; });
    if (pos == std::string_view::npos) break;
    // The search restarts after the value, so a value is never read as an option.
    size_t after_name = from + pos + option.size();
    std::string value;
    size_t consumed = ReadFirstArgument(text.substr(after_name), &value);
    if (!value.empty()) values.push_back(std::move(value));
    from = after_name + consumed;
  }
  return values;
}

std::string GetEndianOptionText(std::string_view compile_options, std::string_view cpu_name) {
  OptionString options;
  options.SetTable(CompilerOptionTable());
  options.SetCpu(cpu_name);
  options.ParseOptions(compile_options, false);
  std::string value;
  if (!options.FindOptionValue("-R", &value)) return std::string();
  return "-R" + value;
}

}  // namespace zelvan
