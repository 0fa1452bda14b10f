// Searches over whole file texts for the include scanner, which looks at
// every byte of every file of a workspace but at few of its lines: the
// lines between those that matter are found and counted here, sixteen bytes
// at a time where the processor allows (SSE2), else with the C library.
// Each gives exactly what the plain search of std::string_view gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelvan {

// The first occurrence of `needle` (not empty) in `text` at or after
// `from`, or npos.
size_t FindSubstring(std::string_view text, size_t from, std::string_view needle);

// The first occurrence of the two characters `first` `second` in `text` at
// or after `from`, or npos.
size_t FindPair(std::string_view text, size_t from, char first, char second);

// The number of line ends in [from, to) of `text`: LF, CR LF and a lone CR
// each end one line (a CR at to - 1 is paired with a LF at `to`). `has_cr`
// false promises that the range holds no CR.
int64_t CountLineEnds(std::string_view text, size_t from, size_t to, bool has_cr);

// The start of the line that holds `at`, where `from` (<= at) starts a
// line: the index after the last CR or LF in [from, at), or `from`.
size_t FindLineStart(std::string_view text, size_t from, size_t at, bool has_cr);

// The end of the line that holds `from`: the index of the first CR or LF
// at or after it, or the size of the text.
size_t FindLineEnd(std::string_view text, size_t from, bool has_cr);

}  // namespace zelvan
