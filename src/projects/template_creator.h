// A new project made from the template folder of its CPU family:
//
//   <install>\Config\Builder\Template\<cpu>\<cpu>.INI   the template INI (below)
//   <install>\Config\Builder\Template\<cpu>\            template files
//   <install>\Config\Builder\Template\<cpu>\Default\    fallback template files
//
// <cpu> is the template CPU name (SupportCpu::GetTemplateCpuName: "MX-520"
// for the whole MX-520 family). The template INI:
//
//   [SYSTEM]
//   HexFormat=0x%08X            number format of memory blocks (the default)
//   [MACRO]                     macros of every template file, in order; a value
//   TARGET_CHIP=MX-520          may name other macros of the section
//   BANNER=$(TARGET_CHIP) demo
//   [AddLibrary]                $(ADDLIBS): extra libraries when the toolchain
//   1=cpp520.lib                supports C++ (1) and when not (0)
//   0=c520.lib
//   [BLANK!English]             a file list: FILE (full), BLANK (blank) or
//   PROJECT=BLANKPRJ.KIP        LIBRARY, with "!English" unless the resource
//   FILE0=main.c                language is Japanese (17). PROJECT names the
//   FILE1=start.asm;startup.asm template project file, FILE0 onward (up to
//                               the first missing or empty) a template file,
//                               optionally ";" and its name in the project
//   [MemoryModelInfo]           the memory models of full projects
//                               (linkmap/memory_model.h)
//
// A template file is taken from the template folder, else from Default. Its
// copy has every "$(NAME)" of the macro list replaced, in list order: the
// MACRO section, then TMP, TARGET_NAME (the project name), TARGET_TOOL (the
// toolchain folder), ADDLIBS and TARGET_HOME (the project folder), and for
// full projects KHOMELIB (toolchain folder + "\lib\"), TARGET_HOME again and
// the macros of the memory model. The template project file becomes
// "<folder><name>.KBP", adjusted for the chip variant: the MX-520 variants
// add their "-Nb" option to DefaultCompile, the memory sizes of MX-310/P1
// their "-Nc" option (with its library and converter option), a name with
// a blank gets its output file quoted in DefaultLink, and PROJECT/TARGET_CPU
// is set to $(TARGET_CHIP) (the CPU name when there is none).
//
// A macro that names itself (BANNER=$(BANNER)x), or a text that grows past
// 16 MB with the macros in, refuses the template.
//
// Nothing is written until the whole project is planned: every list entry
// is checked (a name with a drive, a full path or ".." is refused), every
// template file read and every question answered first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "linkmap/memory_map_generator.h"
#include "platform/profile_text.h"
#include "platform/status.h"

namespace zelvan {

class Workspace;
class FileTransaction;
class ProjectServices;
class Installation;

class TemplateCreator {
 public:
  // Everything must outlive the creator. `interactive`: failures also beep
  // and show a message box.
  TemplateCreator(Workspace& workspace, const Installation& util, ProjectServices& services,
                  bool interactive);
  virtual ~TemplateCreator();
  TemplateCreator(const TemplateCreator&) = delete;
  TemplateCreator& operator=(const TemplateCreator&) = delete;

  // The request: the project folder (a full path ending in `\`), the project
  // name, the CPU name, the chip variant ("MX-520R1", "96k" or empty) and
  // the toolchain folder (empty but for full projects). Forms the template paths.
  void InitTemplatePaths(std::string_view folder, std::string_view name, std::string_view cpu,
                         std::string_view variant, std::string_view toolchain_folder);

  // Reads the template, builds the macro list and makes every file of the
  // project in memory, asking about destinations that exist. False, with
  // the failure kept, when the project cannot be made.
  bool Plan();
  // Writes the planned files through `files`, the project file last.
  bool Write(FileTransaction& files);
  // Why Plan or Write failed.
  const Status& failure() const { return failure_; }

  // 1 when the user chose to keep a file of the project folder that a
  // template file would have replaced, else 0.
  int Result() const { return result_; }
  const std::string& ProjectFilePath() const { return project_file_; }
  // The planned project file.
  const ProfileText& ProjectText() const { return project_text_; }
  const std::string& TemplateIniPath() const { return template_ini_; }

 protected:
  // "FILE", "BLANK" or "LIBRARY".
  virtual std::string_view ListName() const = 0;
  // Macros of the project's kind, appended after the fixed ones.
  virtual bool AppendKindMacros() { return true; }

  bool Fail(uint32_t code, unsigned message_id, std::initializer_list<std::string_view> args = {});
  void AppendMacro(std::string_view name, std::string value);

  Workspace& workspace_;
  const Installation& util_;
  ProjectServices& services_;
  bool interactive_;
  Status failure_;
  std::string folder_, name_, cpu_, variant_, toolchain_folder_;
  std::string template_ini_, template_folder_, default_folder_;
  std::string project_file_;
  ProfileText ini_;
  MemoryMapSettings map_settings_;
  std::vector<std::string> macro_names_, macro_values_;

 private:
  struct PlannedFile {
    std::string path;
    std::string contents;
    bool replace = false;  // an existing file, replaced at the user's word
  };

  bool BuildMacroList();
  bool CopyTemplateFiles();
  // Reads a template file from the template folder, else from Default.
  bool ReadTemplateFile(std::string_view name, std::string* text);
  // The text of template file `name` with the macros in. False, with the
  // failure kept, when it grows past the bound.
  bool CopyWithSubstitution(std::string_view text, std::string_view name, std::string* copy);
  bool FailEndless(std::string_view macro);
  void QuoteOutputFiles();
  void AddChipOption();
  void AddMemoryModelOptions();

  std::vector<PlannedFile> planned_;
  ProfileText project_text_;
  int result_ = 0;
};

// The full project (Service slot 37): the "FILE" list and the macros of a memory model.
class ProjectCreator : public TemplateCreator {
 public:
  // `memory_model` empty: the CPU's default model.
  ProjectCreator(Workspace& workspace, const Installation& util, ProjectServices& services,
                 bool interactive, std::string memory_model)
      : TemplateCreator(workspace, util, services, interactive),
        memory_model_(std::move(memory_model)) {}

 protected:
  std::string_view ListName() const override { return "FILE"; }
  bool AppendKindMacros() override;

 private:
  std::string memory_model_;
};

// A blank application project ("abs").
class BlankProjectCreator : public TemplateCreator {
 public:
  using TemplateCreator::TemplateCreator;

 protected:
  std::string_view ListName() const override { return "BLANK"; }
};

// A library project ("lib").
class LibraryCreator : public TemplateCreator {
 public:
  using TemplateCreator::TemplateCreator;

 protected:
  std::string_view ListName() const override { return "LIBRARY"; }
};

}  // namespace zelvan
