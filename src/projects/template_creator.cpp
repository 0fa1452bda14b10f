#include "projects/template_creator.h"

#include "linkmap/area_templates.h"
#include "linkmap/memory_model.h"
#include "model/message_texts.h"
#include "model/service_settings.h"
#include "model/status_codes.h"
#include "model/substitute_macros.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"
#include "projects/command.h"
#include "projects/file_transaction.h"
#include "projects/project_name.h"
#include "projects/project_services.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "toolchain/installation.h"
#include "toolchain/option_text.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

namespace {

constexpr std::string_view kSystemSection = "SYSTEM";
constexpr std::string_view kMacroSection = "MACRO";
constexpr std::string_view kAddLibrarySection = "AddLibrary";
constexpr std::string_view kProjectKey = "PROJECT";
constexpr const char* kTargets[] = {"Debug", "Release"};
// The primary language of Japanese resources; any other gets the "!English" lists.
constexpr uint32_t kJapanese = 17;
// Macro values may name other macros of the MACRO section, each round of
// substitution resolving one more level. A value still changing after the
// last round, or growing past the size bound (values that name themselves
// twice double with every occurrence), names itself: the template is refused.
constexpr int kMacroExpansionRounds = 8;
constexpr size_t kMaxMacroText = size_t{16} << 20;  // all values together, and each file

struct ChipOption {
  const char* variant;
  const char* option;
};
constexpr ChipOption kChipOptions[] = {{"MX-520", " -Nb0"},
                                       {"MX-520S", " -Nb1"},
                                       {"MX-520S1", " -Nb1"},
                                       {"MX-520R", " -Nb2"},
                                       {"MX-520R1", " -Nb3"}};
constexpr ChipOption kMemoryOptions[] = {{"64k", "-Nc1"}, {"96k", "-Nc2"}, {"128k", "-Nc3"}};

std::string Lookup(const ProfileText& file, std::string_view section, std::string_view key) {
  std::string value;
  file.Lookup(section, key, &value);
  return value;
}

void Append(ProfileText& file, std::string_view section, std::string_view key,
            std::string_view suffix) {
  file.Set(section, key, Lookup(file, section, key) + std::string(suffix));
}

// One FILE<n> entry of a file list: the template file and its name in the project.
struct ListEntry {
  std::string source, destination;
};

// The entries of a file list, up to the first missing or empty one. False,
// with the entry in `refused`, when one names a file outside its folder:
// nothing may be read from or written to anywhere else.
bool ReadFileList(const ProfileText& ini, std::string_view list, std::vector<ListEntry>* entries,
                  std::string* refused) {
  for (int i = 0;; ++i) {
    std::string key = StringPrintf("FILE%d", i);
    std::string value = Lookup(ini, list, key);
    if (value.empty()) return true;
    std::string_view text = value;
    size_t semicolon = text.find(';');
    ListEntry entry{std::string(TrimBlanks(text.substr(0, semicolon))), ""};
    if (semicolon != std::string_view::npos) {
      entry.destination = std::string(TrimBlanks(text.substr(semicolon + 1)));
    }
    if (entry.destination.empty()) entry.destination = entry.source;
    if (!IsNameInsideFolder(entry.source) || !IsNameInsideFolder(entry.destination)) {
      *refused = "[" + std::string(list) + "] " + key + "=" + value;
      return false;
    }
    entries->push_back(std::move(entry));
  }
}

}  // namespace

TemplateCreator::TemplateCreator(Workspace& workspace, const Installation& util,
                                 ProjectServices& services, bool interactive)
    : workspace_(workspace), util_(util), services_(services), interactive_(interactive) {}

TemplateCreator::~TemplateCreator() = default;

bool TemplateCreator::Fail(uint32_t code, unsigned message_id,
                           std::initializer_list<std::string_view> args) {
  failure_ = CommandFailure(workspace_, services_, interactive_, code, message_id, args);
  return false;
}

void TemplateCreator::InitTemplatePaths(std::string_view folder, std::string_view name,
                                        std::string_view cpu, std::string_view variant,
                                        std::string_view toolchain_folder) {
  folder_ = std::string(folder);
  name_ = std::string(name);
  cpu_ = std::string(cpu);
  variant_ = std::string(variant);
  toolchain_folder_ = std::string(toolchain_folder);
  std::string template_cpu = SupportCpu(cpu).GetTemplateCpuName();
  template_folder_ = util_.InstallPath(kTemplateFolder) + "\\" + template_cpu + "\\";
  template_ini_ = template_folder_ + template_cpu + ".INI";
  default_folder_ = template_folder_ + "Default\\";
  project_file_ = folder_ + name_ + ".KBP";
}

void TemplateCreator::AppendMacro(std::string_view name, std::string value) {
  macro_names_.emplace_back(name);
  macro_values_.push_back(std::move(value));
}

bool TemplateCreator::Plan() {
  std::string text;
  if (!workspace_.platform().fs->ReadFile(template_ini_, &text)) {
    return Fail(kStatusTemplateUnreadable, kMsgTemplateUnreadable, {template_ini_});
  }
  ini_ = ProfileText(text);
  std::string hex_format = Lookup(ini_, kSystemSection, "HexFormat");
  if (!hex_format.empty() && !map_settings_.SetHexFormat(hex_format)) {
    workspace_.ide().WriteOutputLine(template_ini_ + ": HexFormat \"" + hex_format +
                                         "\" is no number format; using " +
                                         MemoryMapSettings::kDefaultHexFormat,
                                     kOutputWarning);
  }
  // Only the memory map of a full project can switch the heap on.
  map_settings_.SetHeapFlag(false);
  return BuildMacroList() && CopyTemplateFiles();
}

bool TemplateCreator::BuildMacroList() {
  macro_names_.clear();
  macro_values_.clear();
  for (const std::string& key : ini_.KeyNames(kMacroSection))
    AppendMacro(key, Lookup(ini_, kMacroSection, key));
  for (int round = 0;; ++round) {
    std::vector<std::string> expanded(macro_values_.size());
    size_t budget = kMaxMacroText;
    for (size_t i = 0; i < macro_values_.size(); ++i) {
      if (!SubstituteMacrosWithin(macro_values_[i], macro_names_, macro_values_, budget,
                                  &expanded[i])) {
        return FailEndless(macro_names_[i]);
      }
      budget -= expanded[i].size();
    }
    if (expanded == macro_values_) break;
    if (round == kMacroExpansionRounds) {
      size_t i = 0;
      while (expanded[i] == macro_values_[i])
        ++i;
      return FailEndless(macro_names_[i]);
    }
    macro_values_ = std::move(expanded);
  }
  AppendMacro("TMP", workspace_.SecondTempDirectory());
  AppendMacro("TARGET_NAME", name_);
  AppendMacro("TARGET_TOOL", toolchain_folder_);
  AppendMacro("ADDLIBS", Lookup(ini_, kAddLibrarySection, util_.IsSupportCPP() ? "1" : "0"));
  AppendMacro("TARGET_HOME", folder_);
  return AppendKindMacros();
}

bool TemplateCreator::ReadTemplateFile(std::string_view name, std::string* text) {
  FileSystem& fs = *workspace_.platform().fs;
  std::string path = template_folder_ + std::string(name);
  if (!FileExists(fs, path)) path = default_folder_ + std::string(name);
  if (!fs.ReadFile(path, text)) {
    return Fail(kStatusTemplateUnreadable, kMsgTemplateUnreadable, {path});
  }
  return true;
}

bool TemplateCreator::FailEndless(std::string_view macro) {
  std::string subject =
      "[" + std::string(kMacroSection) + "] " + std::string(macro) + " of " + template_ini_;
  return Fail(kStatusTemplateMacroEndless, kMsgTemplateMacroEndless, {subject});
}

bool TemplateCreator::CopyWithSubstitution(std::string_view text, std::string_view name,
                                           std::string* copy) {
  std::string substituted;
  if (!SubstituteMacrosWithin(text, macro_names_, macro_values_, kMaxMacroText, &substituted)) {
    return Fail(kStatusTemplateMacroEndless, kMsgTemplateMacroEndless, {name});
  }
  // The macros are in; what is left to do is the heap switch.
  *copy = InstantiateTemplateText(substituted, {}, {}, map_settings_);
  return true;
}

bool TemplateCreator::CopyTemplateFiles() {
  uint32_t language = workspace_.settings().ResourceLanguage();
  std::string list(ListName());
  if ((language & 0x3FF) != kJapanese) list += "!English";

  std::vector<ListEntry> entries;
  std::string refused;
  if (!ReadFileList(ini_, list, &entries, &refused)) {
    return Fail(kStatusTemplateEntryRefused, kMsgTemplateEntryRefused, {refused});
  }
  std::string project_template = Lookup(ini_, list, kProjectKey);
  if (project_template.empty()) {
    return Fail(kStatusTemplateUnreadable, kMsgTemplateUnreadable,
                {template_ini_ + " [" + list + "] " + std::string(kProjectKey)});
  }
  if (!IsNameInsideFolder(project_template)) {
    return Fail(kStatusTemplateEntryRefused, kMsgTemplateEntryRefused,
                {"[" + list + "] PROJECT=" + project_template});
  }

  FileSystem& fs = *workspace_.platform().fs;
  if (FileExists(fs, project_file_) || DirectoryExists(fs, project_file_)) {
    return Fail(kStatusDestinationExists, kMsgFileExists, {project_file_});
  }
  // Every template file is read before the first question is asked.
  std::string project_template_text;
  std::vector<std::string> texts(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!ReadTemplateFile(entries[i].source, &texts[i])) return false;
  }
  if (!ReadTemplateFile(project_template, &project_template_text)) return false;

  planned_.clear();
  for (size_t i = 0; i < entries.size(); ++i) {
    PlannedFile file{folder_ + entries[i].destination, "", false};
    if (!CopyWithSubstitution(texts[i], entries[i].source, &file.contents)) return false;
    if (PathEquals(file.path, project_file_)) {
      return Fail(kStatusDestinationExists, kMsgFileExists, {project_file_});
    }
    auto earlier = planned_.begin();
    while (earlier != planned_.end() && !PathEquals(earlier->path, file.path))
      ++earlier;
    bool exists = FileExists(fs, file.path) || earlier != planned_.end();
    if (exists) {
      services_.Beep();
      int answer = workspace_.ide().ShowMessage(
          kMessageCaption, LoadMessage(*workspace_.platform().ui, kMsgReplaceFile, {file.path}),
          kMbOkCancel | kMbIconWarning, kMsgReplaceFile);
      if (answer != kIdOk) {
        result_ = 1;
        continue;
      }
      file.replace = true;
      // A list naming a file twice: the later entry wins, as a second copy would.
      if (earlier != planned_.end()) {
        file.replace = earlier->replace;
        planned_.erase(earlier);
      }
    }
    planned_.push_back(std::move(file));
  }

  std::string project_text;
  if (!CopyWithSubstitution(project_template_text, project_template, &project_text)) return false;
  project_text_ = ProfileText(project_text);
  if (name_.find(' ') != std::string::npos) QuoteOutputFiles();
  AddChipOption();
  AddMemoryModelOptions();
  std::string chip = cpu_;
  for (size_t i = macro_names_.size(); i-- > 0;) {
    if (macro_names_[i] == "TARGET_CHIP") chip = macro_values_[i];
  }
  project_text_.Set(kProjectSection, "TARGET_CPU", chip);
  return true;
}

void TemplateCreator::QuoteOutputFiles() {
  for (const std::string& section : project_text_.SectionNames()) {
    if (!StartsWithNoCase(section, kTargetSectionPrefix)) continue;
    std::string link;
    if (!project_text_.Lookup(section, kKeyDefaultLink, &link)) continue;
    std::ptrdiff_t option = FindOutputOption(link);
    if (option < 0) continue;
    size_t begin = link.find_first_not_of(" \t", static_cast<size_t>(option) + 2);
    size_t abs = FindNoCase(link, ".abs", static_cast<size_t>(option) + 2);
    if (begin == std::string::npos || abs == std::string::npos || link[begin] == '"') continue;
    link.insert(abs + 4, "\"");
    link.insert(begin, "\"");
    project_text_.Set(section, kKeyDefaultLink, link);
  }
}

void TemplateCreator::AddChipOption() {
  for (const ChipOption& chip : kChipOptions) {
    if (variant_ != chip.variant) continue;
    for (const char* target : kTargets)
      Append(project_text_, TargetSectionName(target), kKeyDefaultCompile, chip.option);
  }
}

void TemplateCreator::AddMemoryModelOptions() {
  const char* option = nullptr;
  for (const ChipOption& memory : kMemoryOptions) {
    if (variant_ == memory.variant) option = memory.option;
  }
  if (option == nullptr) return;
  std::string library = util_.QkGetLibraryNameByOption(cpu_, option);
  std::string convert = util_.QkGetConvertOptionByOption(cpu_, option);
  for (const char* target : kTargets) {
    std::string section = TargetSectionName(target);
    Append(project_text_, section, kKeyDefaultCompile, " " + std::string(option));
    if (!library.empty()) {
      Append(project_text_, section, kKeyDefaultLink, " " + std::string(option) + " " + library);
    }
    if (convert.empty()) continue;
    Append(project_text_, section, kKeyDefaultConvert, " " + convert);
    // An empty ProjectConvert means "the defaults"; the option alone would
    // put itself in their place.
    if (!TrimBlanks(Lookup(project_text_, section, kKeyProjectConvert)).empty()) {
      Append(project_text_, section, kKeyProjectConvert, " " + convert);
    }
  }
}

bool TemplateCreator::Write(FileTransaction& files) {
  std::string error;
  if (!files.CreateDirectories(folder_, &error)) {
    return Fail(kStatusFileNotWritten, kMsgFileNotWritten, {folder_, error});
  }
  for (const PlannedFile& file : planned_) {
    bool written = files.CreateDirectories(GetFileDirectory(file.path), &error) &&
                   (file.replace ? files.ReplaceFile(file.path, file.contents, &error)
                                 : files.WriteNewFile(file.path, file.contents, &error));
    if (!written) return Fail(kStatusFileNotWritten, kMsgFileNotWritten, {file.path, error});
  }
  if (!files.WriteNewFile(project_file_, project_text_.Render(), &error)) {
    return Fail(kStatusFileNotWritten, kMsgFileNotWritten, {project_file_, error});
  }
  return true;
}

bool ProjectCreator::AppendKindMacros() {
  AppendMacro("KHOMELIB", StripTrailingSlash(toolchain_folder_) + "\\lib\\");
  AppendMacro("TARGET_HOME", folder_);
  std::string default_model;
  std::vector<std::string> models = MemoryModelNames(ini_, &default_model);
  std::string model_name = memory_model_.empty() ? default_model : memory_model_;
  if (models.empty() && memory_model_.empty()) {
    // A family without memory models: its templates use no memory macros.
    for (const char* name :
         {"TARGET_CHANGE_MEMORY", "TARGET_MEMORY", "MAINPROGRAM", "INSERTPROGRAM"})
      AppendMacro(name, "");
    return true;
  }
  bool listed = false;
  for (const std::string& model : models)
    listed = listed || EqualsNoCase(model, model_name);
  if (!listed) return Fail(kStatusInvalidMemorySize, kMsgInvalidMemorySize);
  MemoryModel model;
  std::string error;
  SupportCpu cpu(cpu_);
  MemoryForm form = cpu.IsMR44() || cpu.IsMR44A() ? MemoryForm::kMr44 : MemoryForm::kStandard;
  if (!ReadMemoryModel(ini_, model_name, &model, &error) ||
      !AppendMemoryModelMacros(ini_, model, form, map_settings_, &macro_names_, &macro_values_,
                               &error)) {
    return Fail(kStatusTemplateUnreadable, kMsgTemplateUnreadable,
                {template_ini_ + " (" + error + ")"});
  }
  return true;
}

}  // namespace zelvan
