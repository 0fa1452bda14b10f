#include "model/service_settings.h"

#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "toolchain/installation.h"

namespace zelvan {

namespace {

std::vector<std::string> SplitExtensions(std::string_view list) {
  std::vector<std::string> out;
  for (std::string& piece : SplitAll(list, ';')) {
    if (!piece.empty()) out.push_back(std::move(piece));
  }
  return out;
}

}  // namespace

ServiceSettings::ServiceSettings(const Platform& platform, const Installation* util)
    : platform_(platform),
      util_(util),
      scope_names_{"Project", "Individual"},
      header_extensions_{"h", "inc"},
      function_scan_extensions_{"c", "h"} {}

void ServiceSettings::LoadServiceSettings() {
  UiHooks& ui = *platform_.ui;
  if (util_ != nullptr) util_->GetDLLLanguage(resource_module_path_, &resource_language_);
  setting_kind_names_.clear();
  setting_kind_labels_.clear();
  for (unsigned i = 0; i < 3; ++i) {
    setting_kind_names_.push_back(LoadMessage(ui, kMsgSettingKindFirst + i));
    setting_kind_labels_.emplace_back(TrimBlanks(LoadMessage(ui, kMsgSettingLabelFirst + i)));
  }
  text_5006_ = LoadMessage(ui, kMsgText5006);
  text_5007_ = LoadMessage(ui, kMsgText5007);
  special_extensions_ = ToLowerAscii(LoadMessage(ui, kMsgSpecialExtensions));
  frame_window_title_ = LoadMessage(ui, kMsgFrameTitle);
  if (!settings_file_path_.empty() && platform_.profile != nullptr) {
    frame_window_title_ = platform_.profile->GetString("KPrjSvc", "FrameWindowTitle",
                                                       frame_window_title_, settings_file_path_);
  }
  text_5009_ = LoadMessage(ui, kMsgText5009);
  ReloadBuildSwitches();
  header_extensions_ = {"h", "inc"};
  function_scan_extensions_ = {"c", "h"};
  if (util_ != nullptr && platform_.profile != nullptr) {
    // The buffer of the configuration read holds 1023 characters.
    SetFunctionScanExtensions(platform_.profile->GetString("Builder", "FunctionExtend", "",
                                                           util_->QkGetBuilderConfigPath(), 1024));
  }
}

void ServiceSettings::ReloadBuildSwitches() {
  build_make_ = ReadSwitch("BuildMake");
  build_depend_ = ReadSwitch("BuildDepend");
}

int32_t ServiceSettings::ReadUpdateDependencyFile() const {
  return static_cast<int32_t>(ReadSwitch("UpdateDependencyFile"));
}

uint32_t ServiceSettings::ReadSwitch(const char* name) const {
  uint32_t value = 0;
  if (platform_.registry == nullptr ||
      !platform_.registry->ReadDword(kBuilderRegistryKey, name, &value)) {
    return 0;
  }
  return value;
}

bool ServiceSettings::IsSpecialExtension(std::string_view extension) const {
  if (extension.empty()) return false;
  std::string lower = ToLowerAscii(extension);
  for (const std::string& piece : SplitAll(special_extensions_, ';')) {
    if (!piece.empty() && piece == lower) return true;
  }
  return false;
}

void ServiceSettings::SetFunctionScanExtensions(std::string_view list) {
  std::vector<std::string> pieces = SplitExtensions(list);
  if (!pieces.empty()) function_scan_extensions_ = std::move(pieces);
}

}  // namespace zelvan
