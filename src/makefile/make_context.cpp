#include "makefile/make_context.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "makefile/custom_build_keys.h"
#include "makefile/custom_build_rules.h"
#include "makefile/dependency_paths.h"
#include "makefile/make_state.h"
#include "makefile/make_variables.h"
#include "makefile/output_plan.h"
#include "makefile/rule_text.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/substitute_macros.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/target_value_cache.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

MakeContext::MakeContext(Workspace& workspace, MakeStateStore& states, Project& project,
                         const CpuTable* cpus, std::string_view target, MakeMode mode,
                         OutputPlan* plan)
    : workspace_(workspace),
      project_(project),
      make_state_(states.Of(project)),
      cpus_(cpus),
      fs_(*project.platform().fs),
      target_(project.targets().Spelling(target)),
      mode_(mode),
      plan_(plan),
      paths_(project.paths()) {
  project.targets().GetOptions(target_, TargetOptions::kCompile, &default_compile_);
  project.targets().GetOptions(target_, TargetOptions::kLink, &link_options_);
  project.targets().GetOptions(target_, TargetOptions::kConvert, &convert_options_);
  project.targets().GetDir(target_, TargetDir::kTemp, &temp_dir_);
  project.targets().GetDir(target_, TargetDir::kOutput, &output_dir_);
  project.targets().GetDir(target_, TargetDir::kWork, &work_dir_);
  project.targets().GetValue(target_, kKeyLibraryOutput, &library_output_);
  for (size_t i = 0; i < kVariableKeys.size(); ++i)
    project.targets().GetValue(target_, kVariableKeys[i], &variables_[i]);
  std::string source_folder;
  project.targets().GetValue(target_, kKeySourceFolder, &source_folder);
  source_folder_ = source_folder == "1";
  ReadStep(kKeyBeforeBuildTitle, kKeyBeforeBuildCommand, &before_build_);
  ReadStep(kKeyBeforeLinkTitle, kKeyBeforeLinkCommand, &before_link_);
  ReadStep(kKeyAfterBuildTitle, kKeyAfterBuildCommand, &after_build_);
  ReadStep(kKeyCBuildProjectComment, kKeyCBuildProjectCommand, &custom_build_);
  project.targets().GetCountedList(target_, kKeyCBuildProjectOutput, &custom_build_.outputs);
  consumed_project_outputs_.assign(custom_build_.outputs.size(), false);

  // The module: the "-o" file of the link options, else OUTPUT and TARGET_NAME.
  has_link_output_ = ReadOutputArgument(link_options_, &link_output_);
  if (has_link_output_) {
    std::string full = paths_.FullPath(link_output_);
    module_dir_ = GetFileDirectory(full);
    module_name_ = FileNamePart(full);
  } else {
    module_dir_ = AppendLastSlash(paths_.FullPath(output_dir_.empty() ? "." : output_dir_));
    module_name_ = variable("TARGET_NAME");
    // A target without TARGET_NAME still makes the project's output file.
    if (module_name_.empty()) module_name_ = project.paths().output_name;
  }
  if (fal()) module_dir_ += std::string(kFalDirectory) + "\\";

  bool default_has_output = ReadOutputArgument(default_compile_, &default_output_argument_);
  // Two passes: first each file's record and cached section, then its
  // settings. The files' data lie scattered on the heap: the first loop
  // asks for each file's lists a few files ahead, in steps (the object,
  // then the lists it points to, then the sections they point to), and the
  // second asks for the settings of a file a few ahead while it reads one.
  const auto& sources = project.sources().Files();
  std::vector<const CachedSection*> sections(sources.size());
  files_.resize(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    if (i + 8 < sources.size()) {
      const SourceFile& ahead = *sources[i + 8];
      __builtin_prefetch(&ahead.dependencies().records);
      __builtin_prefetch(&ahead.settings().Cache());
    }
    if (i + 4 < sources.size()) {
      const SourceFile& ahead = *sources[i + 4];
      __builtin_prefetch(ahead.dependencies().records.data());
      ahead.settings().Cache().Prefetch(TargetValueCache::PrefetchStep::kList);
    }
    if (i + 2 < sources.size()) {
      sources[i + 2]->settings().Cache().Prefetch(TargetValueCache::PrefetchStep::kSections);
    }
    files_[i].file = sources[i].get();
    files_[i].record = FindDependencyRecord(sources[i]->dependencies().records, target_);
    sections[i] = sources[i]->settings().Cache().FindSection(target_);
  }
  constexpr size_t kAhead = 4;
  for (size_t i = 0; i < sources.size(); ++i) {
    if (i + kAhead < sections.size() && sections[i + kAhead] != nullptr) {
      sections[i + kAhead]->Prefetch();
    }
    FileState& state = files_[i];
    SourceFile* file = state.file;
    // The file's cached settings of the target, its five keys found in one
    // pass over them; a key the cache lacks is read from the file.
    const CachedSection* cached = sections[i];
    enum { kNoBuild, kCustomBuild, kCompile, kBlankCompileOption, kTemp, kKeys };
    static constexpr std::array<std::string_view, kKeys> kKeyNames = {
        kKeyNoBuild, kKeyCustomBuild, kKeyCompile, kKeyBlankCompileOption, kKeyTemp};
    std::array<std::optional<std::string_view>, kKeys> found{};
    if (cached != nullptr) {
      cached->ForEachValue([&](std::string_view key, std::string_view value) {
        for (size_t k = 0; k < kKeys; ++k) {
          // The first byte before the whole key: it tells these keys apart.
          if (!found[k] && key.size() == kKeyNames[k].size() && key[0] == kKeyNames[k][0] &&
              key == kKeyNames[k]) {
            found[k] = value;
          }
        }
      });
    }
    auto read = [&](int key, std::string* value) {
      if (const auto& cached_value = found[static_cast<size_t>(key)]) {
        // Most values are empty: cleared without the copy's checks.
        std::string_view text = *cached_value;
        if (text.empty()) {
          value->clear();
        } else {
          value->assign(text);
        }
      } else {
        file->settings().Read(target_, kKeyNames[static_cast<size_t>(key)], value);
      }
    };
    std::string value;
    read(kNoBuild, &value);
    state.built = ReadsAsInteger(value) != 1;
    read(kCustomBuild, &value);
    state.custom_build = static_cast<int32_t>(ReadsAsInteger(value));
    read(kCompile, &state.own_options);
    if (state.own_options.empty()) {
      read(kBlankCompileOption, &value);
      state.default_options = value != "1";
    }
    read(kTemp, &state.own_temp);
    state.target_temp = &temp_dir_;
    state.default_output_argument = &default_output_argument_;
    if (state.default_options) {
      state.has_output_option = default_has_output;
    } else {
      state.has_output_option = ReadOutputArgument(state.own_options, &state.own_output_argument);
    }
  }
}

MakeContext::~MakeContext() = default;

void MakeContext::ReadStep(const char* title_key, const char* base, BuildStep* step) const {
  project_.targets().GetValue(target_, title_key, &step->title);
  project_.targets().GetCountedList(target_, base, &step->commands);
}

const std::string& MakeContext::variable(std::string_view key) const {
  for (size_t i = 0; i < kVariableKeys.size(); ++i) {
    if (key == kVariableKeys[i]) return variables_[i];
  }
  static const std::string kEmpty;
  return kEmpty;
}

bool MakeContext::is_library() const {
  return project_.IsLibrary();
}

bool MakeContext::has_conversion() const {
  return !is_library() && !convert_options_.empty();
}

bool MakeContext::AnyProjectOutputConsumed() const {
  return std::find(consumed_project_outputs_.begin(), consumed_project_outputs_.end(), true) !=
         consumed_project_outputs_.end();
}

void MakeContext::AppendDependencies(const FileState& state, std::string* out) {
  const DependencyRecord* record = state.record;
  if (record == nullptr) return;
  auto text_of = [this](std::string_view path) {
    // A path that is relative already stays as it is: made relative again,
    // one whose first directory shares a name with the project's would be
    // taken apart.
    std::string text(path);
    if (!source_folder_ && (HasDrive(path) || IsFullPath(path))) text = paths_.Relative(path);
    return " " + QuoteIfBlank(text);
  };
  dependency_texts_.Append(*record, text_of, out);
}

const OptionFacts& MakeContext::FactsOf(const std::string& options) {
  // Files in a row mostly share their options: the last ones are tried first.
  if (last_facts_ != nullptr && last_facts_->first == options) return last_facts_->second;
  auto it = option_facts_.find(options);
  if (it != option_facts_.end()) {
    last_facts_ = &*it;
    return it->second;
  }
  OptionFacts facts;
  facts.has_p = RemoveWordOption(options, "-P", &facts.without_p);
  if (!facts.has_p) facts.without_p = options;
  facts.side = ReadSideFileFacts(facts.without_p);
  last_facts_ = &*option_facts_.emplace(options, std::move(facts)).first;
  return last_facts_->second;
}

void MakeContext::EnsureDirectory(std::string_view dir) {
  // A directory that names a macro is make's to expand, not a name to create
  // (a lone "$" is part of a name).
  if (dir.empty() || plan_ == nullptr || dir.find("$(") != std::string_view::npos) return;
  plan_->AddFolder(StripTrailingSlash(paths_.FullPath(dir)));
}

std::string MakeContext::CBuildOutputText(const FileState& state, int quote_mode) {
  std::string text;
  for (const std::string& path : FileCBuildOutputs(*this, state)) {
    if (quote_mode == 1) {
      text += '"' + path + "\" ";
    } else {
      if (!text.empty()) text += ' ';
      text += path;
    }
    std::string full;
    if (plan_ != nullptr && path.find('$') == std::string::npos &&
        GetFullPathName(path, project_.paths().project_directory, &full)) {
      plan_->AddFolder(GetFileDirectory(full));
    }
  }
  return text;
}

std::vector<std::string> FileCBuildOutputs(const MakeContext& context, const FileState& state) {
  SourceFile& file = *state.file;
  std::vector<std::string> outputs;
  file.settings().GetCBuildList(context.target(), CBuildList::kOutputs, &outputs);
  for (std::string& output : outputs) {
    output =
        SubstituteMacros(output, file.make_lists().macro_names, file.make_lists().macro_values);
    output = SubstituteMacros(output, context.make_state().macro_names,
                              context.make_state().macro_values);
  }
  return outputs;
}

size_t EstimatedTextSize(const MakeContext& context) {
  constexpr size_t kPerFile = 384;
  size_t size = 4096;
  const TextTable* table = nullptr;
  size_t per_path = 0;  // the mean length of the table's paths, and a blank
  for (const FileState& state : context.files()) {
    size += kPerFile;
    const DependencyRecord* record = state.record;
    if (record == nullptr || record->empty()) continue;
    if (record->path_table() != table && record->path_table() != nullptr) {
      table = record->path_table();
      size_t total = 0;
      for (size_t id = 0; id < table->size(); ++id)
        total += table->Text(static_cast<int32_t>(id)).size();
      per_path = table->size() == 0 ? 0 : total / table->size() + 1;
    }
    size += record->size() * per_path;
  }
  return size;
}

// --- The preparation pass.

namespace {

// FNV-1a of the lower-cased text.
uint64_t NoCaseHashOf(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(ToLowerAscii(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

// The last part of a path and the text after its last dot, as bytes. A
// path keeps them when it is made full and its macros are substituted
// (only "." and "..", a trailing separator and a macro in the last part
// change them: `exact` is false for those), so they tell most inputs apart
// from every output without forming their full paths. It runs for every
// include dependency: one backward pass over the last part.
struct PathEnd {
  std::string_view name;
  std::string_view extension;
  bool exact = true;
};

PathEnd EndOf(std::string_view path) {
  size_t name = path.size();
  size_t dot = std::string_view::npos;
  bool macro = false;
  while (name > 0) {
    char c = path[name - 1];
    if (c == '\\' || c == '/') break;
    if (c == '.' && dot == std::string_view::npos) dot = name - 1;
    macro = macro || c == '$';
    --name;
  }
  PathEnd end;
  end.name = path.substr(name);
  if (dot != std::string_view::npos) end.extension = path.substr(dot + 1);
  end.exact = !macro && !end.name.empty() && end.name.back() != '.';
  return end;
}

// The outputs of one block by their full lower-case paths, with the
// extensions and the hashes of their names. An object's full path is formed
// only when some input may be it: in most blocks none is.
class OutputIndex {
 public:
  // `owner` >= 0: a file index; < 0: project output -owner - 1. `full`:
  // the output's full lower-case path.
  void Add(std::string full, int owner) {
    AddEnd(full);
    outputs_.push_back({std::move(full), owner});
  }
  // An output whose full path is formed when first asked (see
  // ForEachOwner); `last_part` ends as that path will.
  void AddFormedLater(std::string_view last_part, int owner) {
    AddEnd(last_part);
    outputs_.push_back({std::string(), owner});
  }
  // After the last Add: the name hashes go into an open-addressed set
  // (linear probing, 0 marks a free slot), asked once per input path.
  void Seal() {
    size_t size = 16;
    while (size < 2 * names_.size())
      size *= 2;
    slots_.assign(size, 0);
    for (uint64_t name : names_) {
      size_t at = SlotOf(name);
      while (slots_[at] != 0 && slots_[at] != Stored(name))
        at = (at + 1) & (slots_.size() - 1);
      slots_[at] = Stored(name);
    }
  }
  // False when `path`, made full, can be no output.
  bool MayHold(std::string_view path) const {
    PathEnd end = EndOf(path);
    if (!end.exact) return true;
    for (const std::string& extension : extensions_) {
      if (extension.size() == end.extension.size() && EqualsNoCase(extension, end.extension)) {
        uint64_t name = NoCaseHashOf(end.name);
        for (size_t at = SlotOf(name); slots_[at] != 0; at = (at + 1) & (slots_.size() - 1)) {
          if (slots_[at] == Stored(name)) return true;
        }
        return false;
      }
    }
    return false;
  }
  // `form(owner)` gives the full path of an output added without one.
  template <typename Form, typename Visit>
  void ForEachOwner(std::string_view full, Form form, Visit visit) {
    // Made when first asked: in most blocks no input passes MayHold.
    if (owners_.empty()) {
      owners_.reserve(outputs_.size());
      for (Output& output : outputs_) {
        if (output.full.empty()) output.full = form(output.owner);
        owners_.emplace(output.full, output.owner);
      }
    }
    auto [from, to] = owners_.equal_range(full);
    for (auto it = from; it != to; ++it)
      visit(it->second);
  }
  bool empty() const { return outputs_.empty(); }

 private:
  struct Output {
    std::string full;  // empty until formed
    int owner;
  };
  void AddEnd(std::string_view path) {
    PathEnd end = EndOf(path);
    names_.push_back(NoCaseHashOf(end.name));
    for (const std::string& extension : extensions_) {
      if (extension.size() == end.extension.size() && EqualsNoCase(extension, end.extension))
        return;
    }
    extensions_.emplace_back(end.extension);
  }
  std::vector<Output> outputs_;
  std::unordered_multimap<std::string_view, int> owners_;  // views of outputs_
  static uint64_t Stored(uint64_t name) { return name == 0 ? 1 : name; }
  size_t SlotOf(uint64_t name) const {
    return static_cast<size_t>(name >> 17) & (slots_.size() - 1);
  }
  std::vector<uint64_t> names_;  // hashes of the outputs' last parts
  std::vector<uint64_t> slots_;  // the set of names_, made by Seal
  std::vector<std::string> extensions_;
};

class Preparation {
 public:
  explicit Preparation(MakeContext& context) : context_(context) {
    // The values a path of the pass may name, as the block defines them.
    names_ = {"TEMP", "OUTPUT", "WORK", "TARGET", "TARGET_NAME"};
    values_ = {context.temp_dir(), context.output_dir(), context.variable("WORK"),
               context.variable("TARGET"), context.variable("TARGET_NAME")};
  }

  // A path as the pass compares it: substituted, full, lower case. A path
  // with a drive or a network or rooted path is full already.
  std::string Normalize(std::string_view entry) const {
    std::string path = entry.find('$') == std::string_view::npos
                           ? std::string(entry)
                           : SubstituteMacros(entry, names_, values_);
    bool full = (path.size() > 2 && path[1] == ':') || (!path.empty() && IsPathSeparator(path[0]));
    if (!full) path = context_.paths().FullPath(path);
    return ToLowerAscii(path);
  }

  void Run() {
    const std::string& target = context_.target();
    std::vector<FileState>& files = context_.files();
    for (size_t i = 0; i < files.size(); ++i) {
      FileState& state = files[i];
      SourceFile& file = *state.file;
      file.SetConsumedOutput(false);
      if (!state.built) continue;
      int owner = static_cast<int>(i);
      if (state.custom_build != 0) {
        std::vector<std::string> raw;
        file.settings().GetCBuildList(target, CBuildList::kOutputs, &raw);
        for (const std::string& entry : raw)
          index_.Add(Normalize(entry), owner);
      } else if (IsCompiledToolIndex(file.ToolKind())) {
        AddObjectOutput(state, owner);
      }
    }
    const std::vector<std::string>& project_outputs = context_.custom_build().outputs;
    for (size_t i = 0; i < project_outputs.size(); ++i)
      index_.Add(Normalize(project_outputs[i]), -static_cast<int>(i) - 1);
    index_.Seal();

    for (FileState& state : files) {
      if (!state.built) continue;
      SourceFile& file = *state.file;
      // A file's relative path made full is its full path.
      if (file.RelativePath().find('$') == std::string::npos) {
        if (index_.MayHold(file.FullPath())) Match(ToLowerAscii(file.FullPath()));
      } else {
        Match(Normalize(file.RelativePath()));
      }
      if (state.custom_build != 0) {
        std::vector<std::string> dependencies;
        file.settings().GetCBuildDependencies(target, &dependencies, /*quote=*/false,
                                              /*existing_only=*/false);
        for (const std::string& dependency : dependencies)
          Match(Normalize(dependency));
      }
      if (state.custom_build != 0 || index_.empty()) continue;
      const DependencyRecord* record = state.record;
      if (record == nullptr || !AnyMayBeOutput(record->path_table())) continue;
      // A path matched once is matched: the next file that includes it has
      // nothing to add.
      matched_.ForEach(
          *record,
          [this](std::string_view path) {
            if (index_.MayHold(path)) Match(Normalize(path));
            return char{1};
          },
          [](char) {});
    }
  }

 private:
  // The object as the pass compares it. In a TEMP directory (most are) its
  // full path is formed only if an input may be it.
  void AddObjectOutput(const FileState& state, int owner) {
    const SourceFile& file = *state.file;
    if (context_.fal()) {
      index_.Add(Normalize("$(OUTPUT)\\" + file.ObjectName()), owner);
      return;
    }
    if (state.has_output_option) {
      context_.EnsureDirectory(GetFileDirectory(state.output_argument()));
      index_.Add(Normalize(state.output_argument()), owner);
      return;
    }
    // An object name is a plain name, which a full path keeps as it is.
    index_.AddFormedLater(file.ObjectName(), owner);
  }

  std::string ObjectInTemp(const FileState& state) {
    // Files share their TEMP directory: it is made full once.
    auto it = temp_dirs_.find(state.temp());
    if (it == temp_dirs_.end()) {
      it = temp_dirs_.emplace(state.temp(), Normalize(StripTrailingBackslash(state.temp()) + "\\x"))
               .first;
      it->second.pop_back();
    }
    return it->second + ToLowerAscii(state.file->ObjectName());
  }

  // Whether some path of the records' table may be an output, asked once
  // per table: most tables hold none (they are headers), which spares the
  // walk over every dependency. A table far larger than the project is
  // walked instead.
  bool AnyMayBeOutput(const TextTable* table) {
    if (table == nullptr) return false;
    if (table == checked_table_) return checked_may_hold_;
    checked_table_ = table;
    checked_may_hold_ = table->size() > 64 * context_.files().size();
    for (int32_t id = 0; !checked_may_hold_ && static_cast<size_t>(id) < table->size(); ++id)
      checked_may_hold_ = index_.MayHold(table->Text(id));
    return checked_may_hold_;
  }

  void Match(std::string_view input) {
    if (!index_.MayHold(input)) return;
    index_.ForEachOwner(
        input,
        [this](int owner) { return ObjectInTemp(context_.files()[static_cast<size_t>(owner)]); },
        [this](int owner) {
          if (owner >= 0) {
            context_.files()[static_cast<size_t>(owner)].file->SetConsumedOutput(true);
          } else {
            context_.consumed_project_outputs()[static_cast<size_t>(-owner - 1)] = true;
          }
        });
  }

  MakeContext& context_;
  std::vector<std::string> names_, values_;
  OutputIndex index_;
  DependencyPathMemo<char> matched_;
  const TextTable* checked_table_ = nullptr;
  bool checked_may_hold_ = false;  // the paths of dependencies already matched
  std::unordered_map<std::string, std::string> temp_dirs_;
};

}  // namespace

void PrepareTarget(MakeContext& context) {
  Preparation(context).Run();
  std::string block;
  BuildIdeMacroBlock(context, &block);
  ProjectMakeState& macros = context.make_state();
  macros.macro_names.clear();
  macros.macro_values.clear();
  AppendMacroLines(block, &macros.macro_names, &macros.macro_values);
  for (FileState& state : context.files()) {
    SourceFile& file = *state.file;
    file.make_lists().macro_names.clear();
    file.make_lists().macro_values.clear();
    if (state.custom_build == 0) continue;
    block.clear();
    BuildFileMacroBlock(context, state, &block);
    AppendMacroLines(block, &file.make_lists().macro_names, &file.make_lists().macro_values);
  }
}

}  // namespace zelvan
