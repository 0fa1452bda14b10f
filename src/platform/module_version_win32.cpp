#include "platform/module_version.h"

#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace zelvan {

bool ReadModuleProductVersion(std::string_view host_path, uint32_t* most, uint32_t* least) {
  const std::string path(host_path);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof *info || info->dwSignature != 0xFEEF04BD) {
    return false;
  }
  *most = info->dwProductVersionMS;
  *least = info->dwProductVersionLS;
  return true;
}

}  // namespace zelvan
