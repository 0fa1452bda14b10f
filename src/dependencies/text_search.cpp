#include "dependencies/text_search.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelvan {

namespace {

constexpr size_t npos = std::string_view::npos;

#if defined(__SSE2__)

__m128i Load(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

uint32_t Mask(__m128i bytes) {
  return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
}

#endif

}  // namespace

size_t FindSubstring(std::string_view text, size_t from, std::string_view needle) {
  const size_t n = needle.size();
  if (n == 0 || from > text.size() || text.size() - from < n) return npos;
  const char* data = text.data();
  const size_t size = text.size();
  size_t i = from;
#if defined(__SSE2__)
  // Candidates are the places where the first two and the last character
  // of the needle match; only those are compared whole.
  if (n >= 3) {
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i second = _mm_set1_epi8(needle[1]);
    const __m128i last = _mm_set1_epi8(needle[n - 1]);
    for (; i + (n - 1) + 16 <= size; i += 16) {
      __m128i head = _mm_and_si128(_mm_cmpeq_epi8(Load(data + i), first),
                                   _mm_cmpeq_epi8(Load(data + i + 1), second));
      uint32_t mask = Mask(_mm_and_si128(head, _mm_cmpeq_epi8(Load(data + i + n - 1), last)));
      while (mask != 0) {
        size_t at = i + static_cast<size_t>(std::countr_zero(mask));
        if (std::memcmp(data + at + 2, needle.data() + 2, n - 3) == 0) return at;
        mask &= mask - 1;
      }
    }
  }
#endif
#if defined(_WIN32)
  // No memmem in the Windows C runtime.
  return text.find(needle, i);
#else
  const void* found = memmem(data + i, size - i, needle.data(), n);
  return found == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(found) - data);
#endif
}

size_t FindPair(std::string_view text, size_t from, char first, char second) {
  const char* end = text.data() + text.size();
  // A search for the first character is quick, and in C text both marks
  // of a comment are rare outside comments.
  for (const char* p = text.data() + std::min(from, text.size()); p < end; ++p) {
    p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(end - p)));
    if (p == nullptr) break;
    if (p + 1 < end && p[1] == second) return static_cast<size_t>(p - text.data());
  }
  return npos;
}

int64_t CountLineEnds(std::string_view text, size_t from, size_t to, bool has_cr) {
  const char* p = text.data() + from;
  const char* end = text.data() + to;
  const char* text_end = text.data() + text.size();
  int64_t count = 0;
#if defined(__SSE2__)
  // Bytes of the compare masks are 0 or -1: subtracting them counts in
  // eight-bit lanes, summed up before any lane can overflow.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 16) {
    __m128i lanes = zero;
    for (int round = 0; round < 255 && end - p >= 16; ++round, p += 16) {
      __m128i bytes = Load(p);
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
      if (has_cr) {
        // A CR counts unless a LF follows it (then the LF counts).
        __m128i is_cr = _mm_cmpeq_epi8(bytes, cr);
        uint32_t crs = Mask(is_cr);
        if (crs != 0) {
          uint32_t lfs = Mask(_mm_cmpeq_epi8(bytes, lf));
          uint32_t lone = crs & ~(lfs >> 1);
          // The byte after the chunk decides for its last CR.
          if ((crs & 0x8000u) != 0 && p + 16 < text_end && p[16] == '\n') lone &= ~0x8000u;
          count += std::popcount(lone);
        }
      }
    }
    __m128i sums = _mm_sad_epu8(lanes, zero);
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  }
#endif
  for (; p < end; ++p) {
    if (*p == '\n') {
      ++count;
    } else if (*p == '\r' && !(p + 1 < text_end && p[1] == '\n')) {
      ++count;
    }
  }
  return count;
}

size_t FindLineStart(std::string_view text, size_t from, size_t at, bool has_cr) {
  const char* begin = text.data() + from;
  size_t span = at - from;
#if defined(__GLIBC__)
  const void* lf = memrchr(begin, '\n', span);
  size_t start = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - begin) + 1 : 0;
  if (has_cr) {
    const void* cr = memrchr(begin + start, '\r', span - start);
    if (cr != nullptr) start = static_cast<size_t>(static_cast<const char*>(cr) - begin) + 1;
  }
  return from + start;
#else
  (void)has_cr;
  while (span > 0 && begin[span - 1] != '\n' && begin[span - 1] != '\r')
    --span;
  return from + span;
#endif
}

size_t FindLineEnd(std::string_view text, size_t from, bool has_cr) {
  if (from >= text.size()) return text.size();
  const char* begin = text.data() + from;
  size_t span = text.size() - from;
  const void* lf = std::memchr(begin, '\n', span);
  if (lf != nullptr) span = static_cast<size_t>(static_cast<const char*>(lf) - begin);
  if (has_cr) {
    const void* cr = std::memchr(begin, '\r', span);
    if (cr != nullptr) span = static_cast<size_t>(static_cast<const char*>(cr) - begin);
  }
  return from + span;
}

}  // namespace zelvan
