// The writer of the GNU makefile's text, shared by the files that make its
// parts: the blocks and variables, and the rules.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "makefile/gnu_makefile.h"
#include "makefile/host_make_text.h"
#include "makefile/make_context.h"
#include "platform/file_system.h"
#include "toolchain/cpu_table.h"

namespace zelvan {

class SourceFile;
class TextTable;

namespace gnu_makefile_internal {

std::string Unquoted(std::string_view text);
std::string ModuleFile(const MakeContext& context);
bool IsPathMacro(std::string_view name);

// One project of the list, for one target.
struct Part {
  int number = 0;
  Project* project = nullptr;
  std::unique_ptr<MakeContext> context;
};

class GnuMakefileWriter {
 public:
  GnuMakefileWriter(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                    const GnuMakefileOptions& options)
      : workspace_(workspace),
        states_(states),
        cpus_(cpus),
        options_(options),
        host_(*workspace.platform().fs) {}

  // Appends the block of `target`; `blocks_left`: this one and those still
  // to come, which room is made for at once.
  void Block(const std::string& target, const std::vector<Project*>& projects, size_t blocks_left,
             std::string* out);

 private:
  bool host() const { return options_.host_paths; }

  std::string FullFile(const MakeContext& context, std::string_view path);
  const std::string& HostFile(const MakeContext& context, std::string_view path);
  std::string HostWord(const MakeContext& context, std::string_view path);
  // Runs the commands in the project's directory.
  std::string Recipe(std::string_view lines) { return host_.Recipe(lines, kInProjectDir); }
  static std::string HostCommand(std::string_view command);
  static constexpr std::string_view kInProjectDir = "cd $(ProjDir) && ";
  static constexpr size_t kNumberedPiece = 64 * 1024;

  // --- Variables.

  void Variables(MakeContext& context, std::string* out);

  std::string Number(const MakeContext& context) const;

  std::string HostTools(const Project& project, std::string_view tools);

  void HostSystemPath(MakeContext& context, const char* name, const char* option,
                      bool (CpuTable::*dirs_of)(std::string_view, std::vector<std::string>*) const,
                      std::string* out);

  void FileList(MakeContext& context, const char* name, const std::vector<std::string>& paths,
                std::string* out);

  bool IsPrerequisite(const MakeContext& context, std::string_view path);

  void AppendObjectPath(MakeContext& context, const FileState& state, std::string* out);

  std::string ObjectFile(MakeContext& context, const FileState& state);

  void RememberCopies(const MakeContext& context, std::string_view steps);

  bool WritesRecords(const MakeContext& context) const;

  std::string CommandRecord(MakeContext& context, const FileState& state,
                            const std::string& commands);

  std::string HostMacroLines(const MakeContext& context, std::string_view block);

  // --- "all".

  void AllEntries(const Part& part, std::string* out);

  // --- Rules.

  void Rules(Part& part, const std::vector<Part>& parts, std::string* out, std::string* numbered);

  std::string Commands(std::string_view lines);

  std::string LinkedModules(const Part& part, const std::vector<Part>& parts);

  void ConvertRule(MakeContext& context, std::string* out);

  void LinkRule(MakeContext& context, const std::string& linked, std::string* out);

  std::string HostLinkCommand(MakeContext& context, std::string_view words, std::string_view names);

  void LibraryRule(MakeContext& context, const std::string& linked, std::string* out);

  std::string HostLibrarianCommandFile(MakeContext& context);

  void ProjectCustomBuildRule(MakeContext& context, std::string* out);

  void CustomBuildRule(MakeContext& context, const FileState& state, std::string* out);

  void CompileRule(MakeContext& context, const FileState& state, std::string* out, int number,
                   std::string* numbered);

  void StoredCompileRule(MakeContext& context, const FileState& state, const OptionFacts& facts,
                         int number, std::string* out, std::string* numbered);

  bool MayHoldDollarOrLineEnd(const DependencyRecord* record);

  void StoredRuleHead(MakeContext& context, const FileState& state, std::string* out);

  void StoredRuleTail(MakeContext& context, const FileState& state, const OptionFacts& facts,
                      std::string* out);

  const std::string* HostDependency(MakeContext& context, std::string_view path);

  // --- Clean.

  void Clean(MakeContext& context, std::string* out);

 public:
  const std::string& unnamable() const { return host_.Unnamable(); }
  void SetNumbers(const std::vector<Project*>& projects);

 private:
  Workspace& workspace_;
  MakeStateStore& states_;
  const CpuTable* cpus_;
  GnuMakefileOptions options_;
  HostPathMapper host_;
  std::unordered_map<const Project*, int> number_of_;
  std::unordered_map<const Project*, std::unordered_map<std::string, std::string>> dependencies_;
  // Of the block being written: the modules and converted files its rules
  // make (full paths, lower case), and the headers its rules name.
  std::unordered_set<std::string> made_;
  std::vector<const std::string*> headers_;
  std::vector<std::string> records_;
  std::unordered_map<const Project*, std::vector<std::string>> copies_;
  std::unordered_set<std::string_view> header_seen_;
  std::string piece_;  // of a compile rule being numbered
  // The last compile rule's commands, as written and numbered.
  int tail_number_ = 0;
  std::string tail_, numbered_tail_;
  // The path table last looked at by MayHoldDollarOrLineEnd, its size then
  // and the answer.
  const TextTable* checked_table_ = nullptr;
  size_t checked_size_ = 0;
  bool checked_holds_ = true;
};

}  // namespace gnu_makefile_internal
}  // namespace zelvan
