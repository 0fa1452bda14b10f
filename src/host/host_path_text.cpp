#include "host/host_path_text.h"

#include <cctype>

#include "platform/file_system.h"

namespace zelvan {

std::string HostPathsIn(FileSystem& fs, std::string_view message) {
  std::string out;
  size_t i = 0;
  auto starts_path = [&](size_t at) {
    // A path starts a word, or follows a message prefix ("W-007-D001:"),
    // but not the drive letter of another path ("K:").
    auto drive_letter = [&](size_t colon) {
      return colon >= 1 && std::isalpha(static_cast<unsigned char>(message[colon - 1])) &&
             (colon == 1 || !std::isalnum(static_cast<unsigned char>(message[colon - 2])));
    };
    bool word_start = at == 0 || message[at - 1] == ' ' || message[at - 1] == '(' ||
                      (message[at - 1] == ':' && !drive_letter(at - 1));
    if (!word_start) return false;
    if (message[at] == '\\') return at + 1 < message.size() && message[at + 1] != ' ';
    return at + 2 < message.size() && std::isalpha(static_cast<unsigned char>(message[at])) &&
           message[at + 1] == ':' && message[at + 2] == '\\';
  };
  while (i < message.size()) {
    if (!starts_path(i)) {
      out += message[i++];
      continue;
    }
    size_t end = i;
    for (;;) {
      while (end < message.size() && message[end] != ' ')
        ++end;
      // A blank inside the path: the next word goes on with a separator.
      size_t next = end + 1;
      size_t word_end = message.find(' ', next);
      std::string_view word =
          next < message.size()
              ? message.substr(next, word_end == std::string_view::npos ? std::string_view::npos
                                                                        : word_end - next)
              : std::string_view();
      if (end < message.size() && word.find('\\') != std::string_view::npos) {
        end = next;
        continue;
      }
      break;
    }
    size_t path_end = end;
    while (path_end > i && (message[path_end - 1] == '.' || message[path_end - 1] == ',' ||
                            message[path_end - 1] == ')')) {
      --path_end;
    }
    std::string host = fs.ToHostPath(message.substr(i, path_end - i));
    out += host.empty() ? std::string(message.substr(i, path_end - i)) : host;
    i = path_end;
  }
  return out;
}

}  // namespace zelvan
