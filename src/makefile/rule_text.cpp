#include "makefile/rule_text.h"

#include <algorithm>

#include "model/path_functions.h"
#include "platform/ansi_text.h"
#include "platform/win_path.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

bool HasOption(std::string_view options, std::string_view option) {
  return HasWordOption(options, option);
}

bool HasOptionPrefix(std::string_view options, std::string_view prefix) {
  for (std::string_view argument : ArgumentSlices(options)) {
    if (argument.starts_with(prefix)) return true;
  }
  return false;
}

bool HasListingOption(std::string_view options) {
  return FindLibraryOption(options) >= 0;
}

bool GetListingFile(std::string_view options, std::string* file) {
  file->clear();
  std::ptrdiff_t at = FindLibraryOption(options);
  if (at < 0) return false;
  std::string argument;
  ReadFirstArgument(options.substr(static_cast<size_t>(at)), &argument);
  size_t f = argument.find('f', 2);
  if (f == std::string::npos || f + 1 == argument.size()) return false;
  *file = argument.substr(f + 1);
  return true;
}

SideFileFacts ReadSideFileFacts(std::string_view options) {
  // One pass over the arguments: a word option is an argument that is
  // exactly its text, and the listing option the first argument that
  // HasListingOption takes.
  SideFileFacts facts;
  for (std::string_view argument : ArgumentSlices(options)) {
    if (argument.starts_with("-l")) {
      facts.listing =
          facts.listing ||
          !(argument.starts_with("-licm") || argument.starts_with("-lvcm") ||
            argument.starts_with("-loop_unroll") || argument.starts_with("-loop_rotation"));
    } else if (argument == "-Oal") {
      facts.has_oal = true;
    } else if (argument == "-c") {
      facts.has_c = true;
    } else if (argument == "-XF") {
      facts.has_xf = true;
    } else if (argument == "-Xi") {
      facts.has_xi = true;
    } else if (argument == "-kumpp=on") {
      facts.has_kumpp_on = true;
    } else if (argument == "-kumpp=off") {
      facts.has_kumpp_off = true;
    } else if (argument == "-Mi") {
      facts.has_mi = true;
    }
  }
  if (facts.listing) facts.names_listing = GetListingFile(options, &facts.listing_file);
  return facts;
}

std::vector<std::string_view> ArgumentSlices(std::string_view options) {
  return QuotedArgumentSlices(options);
}

std::string CollectOptionTexts(std::string_view options, std::string_view option) {
  std::string text;
  for (const std::string& value : ExtractOptionValues(options, option)) {
    if (!text.empty()) text += ' ';
    text += option;
    text += QuoteIfBlank(value);
  }
  return text;
}

std::string OptionWithValue(std::string_view options, std::string_view option) {
  std::vector<std::string_view> slices = ArgumentSlices(options);
  for (size_t i = 0; i < slices.size(); ++i) {
    if (slices[i] != option) continue;
    std::string text(option);
    if (i + 1 < slices.size()) {
      text += ' ';
      text += slices[i + 1];
    }
    return text;
  }
  return std::string();
}

void SplitLinkOptions(std::string_view options, const LanguageTable& languages, std::string* words,
                      std::string* names) {
  words->clear();
  names->clear();
  bool output_argument = false;
  for (std::string_view slice : ArgumentSlices(options)) {
    bool is_name = false;
    if (!output_argument && !slice.starts_with("-")) {
      std::string argument;
      ReadFirstArgument(slice, &argument);
      std::string extension = SplitPath(argument).extension;
      is_name = extension.size() > 1 && languages.IsLibraryExt(extension.substr(1));
    }
    output_argument = slice == "-o";
    std::string* into = is_name ? names : words;
    if (!into->empty()) *into += ' ';
    into->append(slice);
  }
}

void AppendCommandLines(const std::vector<std::string>& commands, std::string* out) {
  for (const std::string& command : commands) {
    if (!StartsWithNoCase(TrimLeftBlanks(command), "echo ")) {
      *out += "\techo ";
      *out += command;
      *out += '\n';
    }
    *out += '\t';
    *out += command;
    *out += '\n';
  }
}

void AppendMacroLines(std::string_view block, std::vector<std::string>* names,
                      std::vector<std::string>* values) {
  while (!block.empty()) {
    size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view name = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);
    // A later definition is the one make sees.
    auto it = std::find(names->begin(), names->end(), name);
    if (it != names->end()) {
      (*values)[static_cast<size_t>(it - names->begin())] = std::string(value);
      continue;
    }
    names->emplace_back(name);
    values->emplace_back(value);
  }
}

std::string DirectoryText(std::string_view path, bool strip_all, std::string_view empty) {
  PathParts parts = SplitPath(path);
  std::string directory = parts.directory;
  if (strip_all) {
    while (!directory.empty() && directory.back() == '\\')
      directory.pop_back();
  } else if (!directory.empty() && directory.back() == '\\') {
    directory.pop_back();
  }
  if (parts.drive.empty() && directory.empty()) return std::string(empty);
  return parts.drive + directory;
}

std::string StripTrailingBackslashes(std::string_view path) {
  while (!path.empty() && path.back() == '\\')
    path.remove_suffix(1);
  return std::string(path);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  PathParts parts = SplitPath(path);
  return parts.drive + parts.directory + parts.title + "." + std::string(extension);
}

namespace {

// `text` with every `c` in it replaced by `with`.
std::string ReplaceEach(std::string_view text, char c, std::string_view with) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  size_t from = 0;
  for (size_t at = text.find(c); at != std::string_view::npos; at = text.find(c, from)) {
    out.append(text, from, at - from);
    out += with;
    from = at + 1;
  }
  out.append(text, from);
  return out;
}

}  // namespace

std::string EscapeComments(std::string_view body) {
  return ReplaceEach(body, '#', "'#");
}

std::string ToTextModeFile(std::string_view text) {
  return ReplaceEach(text, '\n', "\r\n");
}

}  // namespace zelvan
