#include "com/bstr.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zelvan {

#ifdef _WIN32

namespace {

// The system's BSTR, with our length limit so that both builds refuse the
// same texts.
BSTR Allocate(UINT length) {
  if (length > kMaxBstrLength) return nullptr;
  return SysAllocStringLen(nullptr, length);
}

}  // namespace

size_t BstrLiveCount() {
  return 0;
}

#else

namespace {

std::atomic<size_t> g_live_bstrs{0};

constexpr size_t kPrefixBytes = sizeof(uint32_t);

// The start of the allocation: the length prefix.
unsigned char* BlockOf(BSTR text) {
  return reinterpret_cast<unsigned char*>(text) - kPrefixBytes;
}

// A BSTR of `length` code units with the prefix and terminator set and the
// units left for the caller to fill.
BSTR Allocate(UINT length) {
  if (length > kMaxBstrLength) return nullptr;
  const uint32_t bytes = length * static_cast<uint32_t>(sizeof(OLECHAR));
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, kPrefixBytes);
  BSTR text = reinterpret_cast<BSTR>(block + kPrefixBytes);
  text[length] = 0;
  g_live_bstrs.fetch_add(1, std::memory_order_relaxed);
  return text;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  size_t length = 0;
  while (text[length] != 0) {
    if (++length > kMaxBstrLength) return nullptr;
  }
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  BSTR out = Allocate(length);
  if (out == nullptr) return nullptr;
  if (text != nullptr) {
    std::memcpy(out, text, length * sizeof(OLECHAR));
  } else {
    std::memset(out, 0, length * sizeof(OLECHAR));
  }
  return out;
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  g_live_bstrs.fetch_sub(1, std::memory_order_relaxed);
  std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, BlockOf(text), kPrefixBytes);
  return bytes;
}

UINT SysStringLen(BSTR text) {
  return SysStringByteLen(text) / static_cast<UINT>(sizeof(OLECHAR));
}

size_t BstrLiveCount() {
  return g_live_bstrs.load(std::memory_order_relaxed);
}

#endif  // _WIN32

BSTR BstrFromText(std::string_view text) {
  if (text.size() > kMaxBstrLength) return nullptr;
  BSTR out = Allocate(static_cast<UINT>(text.size()));
  if (out == nullptr) return nullptr;
  for (size_t i = 0; i < text.size(); ++i) {
    out[i] = static_cast<OLECHAR>(static_cast<unsigned char>(text[i]));
  }
  return out;
}

namespace {

std::string TextFromUnits(const OLECHAR* units, size_t length) {
  std::string out(length, '\0');
  for (size_t i = 0; i < length; ++i) {
    const OLECHAR unit = units[i];
    out[i] = unit <= 0xFF ? static_cast<char>(static_cast<unsigned char>(unit)) : '?';
  }
  return out;
}

}  // namespace

std::string TextFromBstr(BSTR text) {
  if (text == nullptr) return std::string();
  return TextFromUnits(text, SysStringLen(text));
}

std::string TextFromOleString(const OLECHAR* text) {
  if (text == nullptr) return std::string();
  size_t length = 0;
  while (text[length] != 0)
    ++length;
  return TextFromUnits(text, length);
}

}  // namespace zelvan
