#include "toolchain/cpu_driver.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "toolchain/cpu_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

const CpuDriverRow CpuDriverTable[7] = {
    {1, "KHOME52I", 1, "QkDriver52I.DLL", "cc52i.exe", "MR44"},
    {2, "KHOME520", 0, "QkDriver.DLL", "cc520.exe", "MX-520"},
    {3, "KHOME310P", 0, "QkDriver310p.DLL", "cc310p.exe", "MX-310/P"},
    {3, "KHOME310P", 0, "QkDriver310p.DLL", "cc310p.exe", "MX-310/P1"},
    {1, "KHOME44A", 1, "QkDriver44A.DLL", "ccmr.exe", "MR44A"},
    {1, "KHOME52IP", 2, "QkDriver52IP.DLL", "cc52ip.exe", "MR44"},
    {0, "", 0, "", "", ""},
};

std::string GetCompilerExe(std::string_view cpu, std::optional<std::string_view> home_variable) {
  for (const CpuDriverRow* row = CpuDriverTable; row->CpuCode != 0; ++row) {
    if (!EqualsNoCase(row->CpuName, cpu)) continue;
    if (home_variable && !EqualsNoCase(row->HomeVariable, *home_variable)) continue;
    return row->Compiler;
  }
  return {};
}

const CpuDriverRow* FindDriverRow(std::string_view home_variable) {
  for (const CpuDriverRow* row = CpuDriverTable; row->CpuCode != 0; ++row) {
    if (EqualsNoCase(row->HomeVariable, home_variable)) return row;
  }
  return nullptr;
}

std::vector<std::string> SplitDriverArguments(std::string_view options) {
  return SplitArguments(options);
}

namespace {

using CheckOptionForm0 = int (*)(char**, int, void*, const char*, char**, unsigned);
using CheckOptionForm1 = int (*)(char**, int, void*, const char*, char**, unsigned, int);
using CheckOptionForm2 = int (*)(char**, int, int, void*, const char*, char**, unsigned, int);

// The argument copies handed to a driver, each in a heap block of its own,
// freed whatever the driver did.
class ArgumentVector {
 public:
  explicit ArgumentVector(const std::vector<std::string>& args) {
    blocks_.reserve(args.size());
    for (const std::string& arg : args) {
      auto block = std::make_unique<char[]>(arg.size() + 1);
      std::memcpy(block.get(), arg.c_str(), arg.size() + 1);
      pointers_.push_back(block.get());
      blocks_.push_back(std::move(block));
    }
    pointers_.push_back(nullptr);
  }
  char** argv() { return pointers_.data(); }
  int argc() const { return static_cast<int>(blocks_.size()); }

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<char*> pointers_;
};

bool Fail(std::string* reason, std::string text) {
  if (reason) *reason = std::move(text);
  return false;
}

}  // namespace

bool CheckOptionsWithDriver(Platform& platform, const CpuTable& tools, std::string_view cpu,
                            std::string_view options, std::string* reason) {
  std::string home;
  std::string variable;
  tools.GetSecondHomeDir(cpu, &home);
  tools.GetSecondHomeVariable(cpu, &variable);
  const CpuDriverRow* row = FindDriverRow(variable);
  if (!row || row->DriverDll[0] == '\0') return true;  // nothing to check with

  std::string library = StripTrailingSlash(home) + "\\bin\\" + row->DriverDll;
  std::string host_path = platform.fs->ToHostPath(library);
  if (host_path.empty() || !FileExists(*platform.fs, library)) {
    return Fail(reason, "no such driver library: " + library);
  }
  std::string error;
  std::unique_ptr<DynamicLibrary> driver = platform.system->LoadLibrary(host_path, &error);
  if (!driver) return Fail(reason, "cannot load driver library " + library + ": " + error);
  void* symbol = driver->FindSymbol("CheckOption");
  if (!symbol) return Fail(reason, "driver library " + library + " has no CheckOption");

  if (row->CheckOptionForm > 2) {
    return Fail(reason, StringPrintf("unknown CheckOption form %u", row->CheckOptionForm));
  }
  ArgumentVector args(SplitDriverArguments(options));
  unsigned code = row->CpuCode | kCheckOptionCodeFlag;
  char* message = nullptr;
  int result = 0;
  switch (row->CheckOptionForm) {
    case 0:
      result = reinterpret_cast<CheckOptionForm0>(symbol)(args.argv(), args.argc(), nullptr,
                                                          home.c_str(), &message, code);
      break;
    case 1:
      result = reinterpret_cast<CheckOptionForm1>(symbol)(args.argv(), args.argc(), nullptr,
                                                          home.c_str(), &message, code, 0);
      break;
    default:
      result = reinterpret_cast<CheckOptionForm2>(symbol)(args.argv(), args.argc(), 0, nullptr,
                                                          home.c_str(), &message, code, 0);
      break;
  }
  std::free(message);
  if (result != 0)
    return Fail(reason, StringPrintf("the driver rejected the options (%d)", result));
  return true;
}

}  // namespace zelvan
