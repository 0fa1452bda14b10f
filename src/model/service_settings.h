// The service settings: switches and texts the whole service reads, loaded
// once when the IDE connects and re-read where noted.
//
// Registry values (current user, key kBuilderRegistryKey of toolchain/installation.h, DWORD,
// default 0):
//   BuildMake             non-zero: saving the workspace writes every project's makefile
//   BuildDepend           handed to that makefile export
//   UpdateDependencyFile  non-zero: unresolved includes are left out of the dependency lists
// Texts come from the string resources (message_texts.h). With the
// utility library, loading also reads the language of the resource module
// and the builder configuration file (QkGetBuilderConfigPath):
//
//   [Builder]
//   FunctionExtend=c;h;cpp   ; files scanned for function declarations
//                            ; (empty or missing: "c;h")
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zelvan {

class Installation;

class ServiceSettings {
 public:
  // `util` (may be null: no resource language, no builder configuration)
  // must outlive the settings.
  explicit ServiceSettings(const Platform& platform, const Installation* util = nullptr);
  // The utility library (its timing trace among others); may be null.
  const Installation* util() const { return util_; }

  // Loads the texts and reads every switch.
  void LoadServiceSettings();
  // Re-reads BuildMake and BuildDepend (before each workspace save).
  void ReloadBuildSwitches();

  uint32_t BuildMake() const { return build_make_; }
  uint32_t BuildDepend() const { return build_depend_; }
  // Read from the registry on each call: the workspace reads it when it is built.
  int32_t ReadUpdateDependencyFile() const;

  // True when `extension` (without dot, any case) is in the special-extension list.
  bool IsSpecialExtension(std::string_view extension) const;

  const std::vector<std::string>& SettingKindNames() const { return setting_kind_names_; }
  const std::vector<std::string>& SettingKindLabels() const { return setting_kind_labels_; }
  const std::vector<std::string>& ScopeNames() const { return scope_names_; }
  const std::vector<std::string>& HeaderExtensions() const { return header_extensions_; }
  const std::vector<std::string>& FunctionScanExtensions() const {
    return function_scan_extensions_;
  }
  const std::string& SpecialExtensions() const { return special_extensions_; }
  const std::string& FrameWindowTitle() const { return frame_window_title_; }
  const std::string& Text5006() const { return text_5006_; }
  const std::string& Text5007() const { return text_5007_; }
  const std::string& Text5009() const { return text_5009_; }

  // The language of the resource module, from the utility library; 0 until
  // loaded or without it.
  uint32_t ResourceLanguage() const { return resource_language_; }
  // The resource module: the module's own path with its extension replaced
  // by "RES.DLL", set when the module loads.
  const std::string& ResourceModulePath() const { return resource_module_path_; }
  void SetResourceModulePath(std::string path) { resource_module_path_ = std::move(path); }

  // The profile file of section "KPrjSvc"; empty: the built-in frame title.
  void SetSettingsFilePath(std::string path) { settings_file_path_ = std::move(path); }
  // Replaces the function-scan extensions (the builder configuration's "FunctionExtend").
  void SetFunctionScanExtensions(std::string_view list);

 private:
  uint32_t ReadSwitch(const char* name) const;

  Platform platform_;
  const Installation* util_;
  uint32_t resource_language_ = 0;
  std::string resource_module_path_;
  std::string settings_file_path_;
  std::vector<std::string> setting_kind_names_;
  std::vector<std::string> setting_kind_labels_;
  std::vector<std::string> scope_names_;
  std::string text_5006_, text_5007_, text_5009_;
  std::string special_extensions_;
  std::string frame_window_title_;
  std::vector<std::string> header_extensions_;
  uint32_t build_make_ = 0;
  uint32_t build_depend_ = 0;
  std::vector<std::string> function_scan_extensions_;
};

}  // namespace zelvan
