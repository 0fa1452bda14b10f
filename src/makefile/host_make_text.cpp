#include "makefile/host_make_text.h"

#include <cctype>
#include <vector>

#include "makefile/gnu_makefile.h"
#include "makefile/rule_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "toolchain/cpu_table.h"

namespace zelvan {

namespace {

bool IsQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

// Where a drive path ("X:\") starts in `word`, or npos.
size_t FindDrive(std::string_view word) {
  for (size_t i = 0; i + 2 < word.size(); ++i) {
    if (std::isalpha(static_cast<unsigned char>(word[i])) && word[i + 1] == ':' &&
        word[i + 2] == '\\' && (i == 0 || !std::isalnum(static_cast<unsigned char>(word[i - 1])))) {
      return i;
    }
  }
  return std::string_view::npos;
}

// A "$" that starts no make reference (the toolchain's option "-$") is
// written "$$", which make passes on as "$".
std::string EscapeLoneDollars(std::string_view word) {
  std::string out;
  for (size_t i = 0; i < word.size(); ++i) {
    out += word[i];
    if (word[i] != '$') continue;
    char next = i + 1 < word.size() ? word[i + 1] : ' ';
    if (next == '$') {
      out += word[++i];
    } else if (std::string_view("({<@^*?%+|").find(next) == std::string_view::npos) {
      out += '$';
    }
  }
  return out;
}

}  // namespace

std::string ToGnuPath(std::string_view path) {
  std::string out;
  out.reserve(path.size() + 8);
  for (char c : path) {
    if (c == '\\') {
      out += '/';
    } else if (c == ' ') {
      out += "\\ ";
    } else {
      out += c;
    }
  }
  return out;
}

std::string EscapeForMake(std::string_view host_path) {
  std::string out;
  out.reserve(host_path.size() + 8);
  for (char c : host_path) {
    if (c == '$') {
      out += "$$";
    } else if (c == '=') {
      // A rule line with a bare "=" is read as a variable assignment.
      out += "$(if ,,=)";
    } else {
      if (c == ' ' || c == '\t' || c == '#' || c == ':') out += '\\';
      out += c;
    }
  }
  return out;
}

bool MakeCanName(std::string_view host_path) {
  for (size_t i = 0; i < host_path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(host_path[i]);
    if (c < 0x20 || c == 0x7f ||
        std::string_view(";|%*?").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
    // Make reads "\\", "\ ", "\#" and "\:" as escapes, and a "\" at the
    // end of a line as its continuation.
    if (c == '\\' && (i + 1 == host_path.size() ||
                      std::string_view(" #:\\").find(host_path[i + 1]) != std::string_view::npos)) {
      return false;
    }
  }
  return true;
}

std::string QuoteForShell(std::string_view text) {
  bool plain = !text.empty();
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) &&
        std::string_view("_-./+,:@%").find(c) == std::string_view::npos) {
      plain = false;
      break;
    }
  }
  if (plain) return std::string(text);
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string RecipeWord(std::string_view text) {
  std::string quoted = QuoteForShell(text);
  std::string out;
  out.reserve(quoted.size() + 4);
  for (char c : quoted) {
    out += c;
    if (c == '$') out += '$';
  }
  return out;
}

std::string DefinitionValue(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (char c : text) {
    if (c == '#') out += '\\';
    out += c;
  }
  return out;
}

bool IsHostMakeVariable(std::string_view name) {
  for (std::string_view known : kNumberedVariables) {
    if (name == known) return true;
  }
  for (std::string_view known : {"OUTPUT", "CFG", "OutName"}) {
    if (name == known) return true;
  }
  return false;
}

const std::string& HostPathMapper::Path(std::string_view full_path) {
  auto it = paths_.find(full_path);
  if (it != paths_.end()) return it->second;
  std::string_view path =
      IsQuoted(full_path) ? full_path.substr(1, full_path.size() - 2) : full_path;
  std::string host = path.empty() ? std::string() : fs_.ToHostPath(path);
  if (host.empty()) host = ForwardSlashes(path);
  return paths_.emplace(std::string(full_path), std::move(host)).first->second;
}

const std::string& HostPathMapper::File(std::string_view full_path) {
  auto it = files_.find(full_path);
  if (it != files_.end()) return it->second;
  const std::string& host = Path(full_path);
  if (unnamable_.empty() && !MakeCanName(host)) unnamable_ = host;
  return files_.emplace(std::string(full_path), EscapeForMake(host)).first->second;
}

// A path among the words of a command: one shell word, but for the
// references to the makefile's variables, which hold shell words themselves.
std::string HostPathMapper::PathPart(std::string_view path) {
  std::string_view inner = IsQuoted(path) ? path.substr(1, path.size() - 2) : path;
  std::string mapped;
  if (HasDrive(inner) || (!inner.empty() && inner[0] == '\\')) mapped = fs_.ToHostPath(inner);
  if (mapped.empty()) mapped = ForwardSlashes(inner);
  std::string out;
  std::string_view rest = mapped;
  while (!rest.empty()) {
    size_t at = rest.find("$(");
    size_t close = at == std::string_view::npos ? at : rest.find(')', at);
    while (close != std::string_view::npos &&
           !IsHostMakeVariable(rest.substr(at + 2, close - at - 2))) {
      at = rest.find("$(", at + 1);
      close = at == std::string_view::npos ? at : rest.find(')', at);
    }
    if (close == std::string_view::npos) at = rest.size();
    if (at > 0) out += RecipeWord(rest.substr(0, at));
    if (close == std::string_view::npos) break;
    out += rest.substr(at, close + 1 - at);
    rest.remove_prefix(close + 1);
  }
  return out.empty() ? std::string("''") : out;
}

namespace {

// The variables a command names hold shell words, which double quotes
// around them would keep whole, quotes and all: "$(InputPath).bak" is
// written ""$(InputPath)".bak".
std::string OutOfDoubleQuotes(std::string_view word) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] == '"' && (i == 0 || word[i - 1] != '\\')) quoted = !quoted;
    size_t close = quoted && word.substr(i).starts_with("$(") ? word.find(')', i) : word.npos;
    if (close != word.npos && IsHostMakeVariable(word.substr(i + 2, close - i - 2))) {
      out += '"';
      out += word.substr(i, close + 1 - i);
      out += '"';
      i = close;
      continue;
    }
    out += word[i];
  }
  return out;
}

}  // namespace

std::string HostPathMapper::MapWord(std::string_view word) {
  size_t drive = FindDrive(word);
  if (word.find('\\') == std::string_view::npos && drive == std::string_view::npos) {
    return OutOfDoubleQuotes(word);
  }
  if (!word.starts_with("-")) return PathPart(word);
  // Options that take a path right behind their letters.
  for (std::string_view option : {"-lf", "-I", "-L", "-o", "-P", "-ra", "-rb"}) {
    if (word.starts_with(option) && word.size() > option.size()) {
      return std::string(option) + PathPart(word.substr(option.size()));
    }
  }
  if (drive != std::string_view::npos) {
    return std::string(word.substr(0, drive)) + PathPart(word.substr(drive));
  }
  // Some other option: separators turned, an escaped quote kept.
  std::string out(word);
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\\' && (i + 1 == out.size() || out[i + 1] != '"')) out[i] = '/';
  }
  return out;
}

std::string HostPathMapper::Words(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  size_t done = 0;
  for (std::string_view slice : ArgumentSlices(text)) {
    size_t at = static_cast<size_t>(slice.data() - text.data());
    out.append(text.substr(done, at - done));
    out += EscapeLoneDollars(MapWord(slice));
    done = at + slice.size();
  }
  out.append(text.substr(done));
  return out;
}

std::string HostPathMapper::Recipe(std::string_view lines, std::string_view prefix) {
  std::string out;
  out.reserve(lines.size() + 64);
  while (!lines.empty()) {
    size_t end = lines.find('\n');
    std::string_view line = lines.substr(0, end);
    if (line.starts_with("\t")) {
      out += '\t';
      // An echo runs anywhere, and is not echoed itself: its text is the
      // one line the user sees.
      if (line.substr(1).starts_with("echo ")) {
        out += '@';
      } else {
        out += prefix;
      }
      out += Words(line.substr(1));
    } else {
      out += line;
    }
    if (end == std::string_view::npos) break;
    out += '\n';
    lines.remove_prefix(end + 1);
  }
  return out;
}

std::string HostPathMapper::Tool(const CpuTable* cpus, std::string_view cpu,
                                 std::string_view name) {
  std::vector<std::string> dirs;
  if (cpus != nullptr) cpus->GetExecutableDirs(cpu, &dirs);
  for (const std::string& dir : dirs) {
    std::string candidate = AppendLastSlash(dir) + std::string(name);
    FileStatus status;
    if (fs_.Stat(candidate, &status) && !status.is_directory) {
      return DefinitionValue(Word(candidate));
    }
  }
  return std::string(name);
}

}  // namespace zelvan
