// BSTR: the counted string of the component object model, and the one place
// where the system's single-byte text becomes interface text and back.
//
// Memory layout of a BSTR of n code units, as the standard functions lay it
// out; the BSTR value points at the first code unit:
//
//   [byte count 2n, 4 bytes][unit 0][unit 1]...[unit n-1][0x0000]
//                            ^ BSTR
//
// The count comes first so that the string may hold zero code units; the
// terminating zero lets a BSTR pass where a zero-terminated string is
// expected. A null BSTR is the empty string to every function here. BSTRs are
// allocated and freed only by the functions of this file (in a Win32 build,
// by the system's, which lay them out alike).
//
// Text conversion maps each byte to the code unit of the same value (and
// back), so every byte string, zero bytes and bytes above 0x7F included,
// survives a round trip unchanged. Double-byte characters stay as their two
// bytes. A code unit above 0xFF has no byte and becomes '?'; only a foreign
// caller can produce one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "com/com_types.h"

namespace zelvan {

// The longest BSTR, in code units; longer requests fail like a failed allocation.
inline constexpr UINT kMaxBstrLength = 0x3FFFFFF0;

#ifndef _WIN32
// A copy of the zero-terminated `text`; null for null `text` or no memory.
BSTR SysAllocString(const OLECHAR* text);
// A BSTR of `length` code units copied from `text`, or zero-filled when `text`
// is null. Null when `length` exceeds kMaxBstrLength or memory runs out.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Frees a BSTR from this file; null is ignored.
void SysFreeString(BSTR text);
// Length in code units (the prefix halved); 0 for null.
UINT SysStringLen(BSTR text);
// Length in bytes (the prefix); 0 for null.
UINT SysStringByteLen(BSTR text);
#endif

// The number of BSTRs allocated and not yet freed, for tests of ownership.
// A Win32 build leaves the strings to the system's allocator and counts
// none: always 0 there.
size_t BstrLiveCount();

// A new BSTR holding `text` byte for byte. Never null for text that fits;
// null only when memory runs out or the text is longer than kMaxBstrLength.
BSTR BstrFromText(std::string_view text);
// The text of a BSTR, its whole counted length (embedded zeros included).
std::string TextFromBstr(BSTR text);
// The text of a zero-terminated wide string that is not a BSTR (the names
// given to GetIDsOfNames); null gives "".
std::string TextFromOleString(const OLECHAR* text);

// Owns one BSTR and frees it when it goes out of scope.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(BSTR owned) : bstr_(owned) {}
  explicit ScopedBstr(std::string_view text) : bstr_(BstrFromText(text)) {}
  ~ScopedBstr() { SysFreeString(bstr_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  BSTR Get() const { return bstr_; }
  // Gives up ownership.
  BSTR Release() {
    BSTR out = bstr_;
    bstr_ = nullptr;
    return out;
  }
  void Reset(BSTR owned = nullptr) {
    if (owned == bstr_) return;
    SysFreeString(bstr_);
    bstr_ = owned;
  }
  // Frees the current string and returns the slot for an out argument.
  BSTR* Receive() {
    Reset();
    return &bstr_;
  }
  std::string Text() const { return TextFromBstr(bstr_); }

 private:
  BSTR bstr_ = nullptr;
};

}  // namespace zelvan
