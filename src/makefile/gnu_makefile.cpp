#include "makefile/gnu_makefile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "makefile/compile_rules.h"
#include "makefile/custom_build_rules.h"
#include "makefile/dependency_paths.h"
#include "makefile/gnu_makefile_writer.h"
#include "makefile/host_make_text.h"
#include "makefile/make_context.h"
#include "makefile/make_variables.h"
#include "makefile/output_plan.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
#include "model/dependency_record.h"
#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/text_table.h"
#include "toolchain/cpu_table.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

constexpr size_t kLongest = 16;  // longer than any numbered name
static_assert(std::all_of(kNumberedVariables.begin(), kNumberedVariables.end(),
                          [](std::string_view name) { return name.size() < kLongest; }));

// Asked for every "$(" of the text: the names are compared with those of
// the same length only, without hashing.
bool IsNumberedVariable(std::string_view name) {
  static const auto kByLength = [] {
    std::array<std::vector<std::string_view>, kLongest> by_length;
    for (std::string_view numbered : kNumberedVariables)
      by_length[numbered.size()].push_back(numbered);
    return by_length;
  }();
  if (name.size() >= kLongest) return false;
  for (std::string_view numbered : kByLength[name.size()]) {
    if (numbered == name) return true;
  }
  return false;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

void AppendNumbered(std::string_view text, int number, std::string* out) {
  AppendNumberedPiece(text, number, /*line_start=*/true, out);
}

void AppendNumberedPiece(std::string_view text, int number, bool line_start, std::string* out) {
  std::string suffix = std::to_string(number);
  out->reserve(out->size() + text.size() + text.size() / 32);
  const char* begin = text.data();
  const char* end = begin + text.size();
  const char* done = begin;
  // Only a "$" and a "=" can change the text: the next of each is found
  // with memchr, so that lines without either (most of a makefile) are
  // copied as they are.
  auto find = [end](const char* from, char c) {
    const void* at = from < end ? std::memchr(from, c, static_cast<size_t>(end - from)) : nullptr;
    return at == nullptr ? end : static_cast<const char*>(at);
  };
  const char* equals = find(begin, '=');
  const char* dollar = find(begin, '$');
  while (equals < end || dollar < end) {
    if (equals < dollar) {
      // A definition: a whole line's start of name characters, then "=".
      const char* name = equals;
      while (name > begin && IsNameCharacter(name[-1]))
        --name;
      bool starts_line = name == begin ? line_start : name[-1] == '\n';
      if (starts_line && name < equals &&
          IsNumberedVariable(std::string_view(name, static_cast<size_t>(equals - name)))) {
        out->append(done, equals);
        *out += suffix;
        done = equals;
      }
      equals = find(equals + 1, '=');
      continue;
    }
    if (dollar + 1 < end && dollar[1] == '$') {
      dollar = find(dollar + 2, '$');  // "$$" is a "$" of the text, no reference
      continue;
    }
    if (dollar + 1 < end && dollar[1] == '(') {
      const char* close = find(dollar + 2, ')');
      if (close < end && IsNumberedVariable(std::string_view(
                             dollar + 2, static_cast<size_t>(close - dollar - 2)))) {
        out->append(done, close);
        *out += suffix;
        done = close;
      }
    }
    dollar = find(dollar + 1, '$');
  }
  out->append(done, end);
}

std::string NumberMakeVariables(std::string_view text, int number) {
  std::string out;
  AppendNumbered(text, number, &out);
  return out;
}

std::vector<Project*> GnuProjectList(Workspace& workspace, Project& project, bool alone) {
  std::vector<Project*> list;
  if (!alone) {
    for (const std::string& name : project.links().Names()) {
      Project* linked = workspace.projects().Find(name);
      if (linked == nullptr || linked == &project ||
          std::find(list.begin(), list.end(), linked) != list.end()) {
        continue;
      }
      list.push_back(linked);
    }
  }
  list.push_back(&project);
  return list;
}

using gnu_makefile_internal::GnuMakefileWriter;

void GenerateGnuMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                             const CpuTable* cpus, const GnuMakefileOptions& options,
                             std::string* text) {
  std::vector<Project*> projects = GnuProjectList(workspace, project, options.alone);
  GnuMakefileWriter writer(workspace, states, cpus, options);
  writer.SetNumbers(projects);
  text->clear();
  *text += "#\n# KOVA Generated GNU Format makefile, based on " + project.paths().base_name +
           ".KBP\n#\n";
  const std::vector<std::string>& targets = project.targets().List();
  for (size_t i = 0; i < targets.size(); ++i)
    writer.Block(targets[i], projects, targets.size() - i, text);
  if (options.unnamable != nullptr) *options.unnamable = writer.unnamable();
}

Status WriteGnuMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                        const CpuTable* cpus, const GnuMakefileOptions& options,
                        std::string_view path) {
  std::string text;
  std::string unnamable;
  OutputPlan plan;
  GnuMakefileOptions with_check = options;
  with_check.unnamable = &unnamable;
  with_check.plan = &plan;
  GenerateGnuMakefileText(workspace, states, project, cpus, with_check, &text);
  if (options.unnamable != nullptr) *options.unnamable = unnamable;
  if (options.host_paths && !unnamable.empty()) {
    // Make would build, or clean, some other file.
    return OperationFailure(kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  }
  if (options.host_paths) {
    plan.AddFile(
        {std::string(path), std::move(text), Durability::kScratch, ReadOnlyRule::kReplaced});
  } else {
    plan.AddFile({std::string(path), ToTextModeFile(text), Durability::kDurable,
                  ReadOnlyRule::kClearedFirst});
  }
  if (Status written = ApplyOutputPlan(*workspace.platform().fs, plan); !written) {
    return OperationFailure(std::move(written), kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  }
  return Status::OK();
}

Status GenerateGnuMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                           Project& project, std::string_view alone_text) {
  GnuMakefileOptions options;
  options.alone = ReadsAsInteger(alone_text) != 0;
  return WriteGnuMakefile(workspace, states, project, cpus, options, project.paths().makefile);
}

}  // namespace zelvan
