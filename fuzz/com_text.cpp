// Interface text: GUID parsing and the byte <-> BSTR conversion must take any
// input, and what they accept must round-trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/com_types.h"
#include "com/safe_array.h"

using namespace zelvan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  GUID guid;
  if (ParseGuid(text, &guid)) {
    GUID again;
    if (!ParseGuid(FormatGuid(guid), &again) || !IsEqualGUID(guid, again)) std::abort();
  }

  BSTR bstr = BstrFromText(text);
  if (bstr == nullptr || SysStringLen(bstr) != size || TextFromBstr(bstr) != text) std::abort();
  SysFreeString(bstr);

  // Lines as a string list, through a SAFEARRAY and back.
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  SAFEARRAY* psa = SafeArrayFromStrings(lines);
  std::vector<std::string> back;
  if (psa == nullptr || !StringsFromSafeArray(psa, &back) || back != lines) std::abort();
  SafeArrayDestroy(psa);
  return 0;
}
