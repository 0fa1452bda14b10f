#include "tests/support/reference_include_scanner.h"

#include "dependencies/dependency_output.h"
#include "dependencies/include_line.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"

namespace zelvan::testing {

void ReferenceIncludeScanner::BeginRefresh(bool update_dependency_file) {
  update_dependency_file_ = update_dependency_file;
  unresolved_pending_ = true;
  nesting_pending_ = true;
  unresolved_count_ = 0;
  scans_ = 0;
}

void ReferenceIncludeScanner::SetBaseDirectory(std::string_view dir) {
  base_directory_ = dir.empty() ? std::string() : AppendLastSlash(dir);
}

bool ReferenceIncludeScanner::ScanIncludes(std::string_view source, int scan_kind,
                                           std::vector<std::string> search_list,
                                           const IncludeScanOptions& options,
                                           std::vector<std::string>* paths,
                                           std::vector<std::string>* forms) {
  paths->clear();
  forms->clear();
  seen_.clear();
  title_written_ = false;
  run_hit_limit_ = false;
  out_of_budget_ = false;
  budget_end_ = budget_ == 0 ? 0 : scans_ + budget_;

  search_ = std::move(search_list);
  std::string directory = GetFileDirectory(source);
  search_.insert(search_.begin(), directory);
  search_.insert(search_.begin(), directory);
  depth_ = 0;
  assembler_flag_ = false;
  options_ = &options;
  source_.assign(source);
  paths_ = paths;
  forms_ = forms;

  if (scan_kind == kScanKindC || scan_kind == kScanKindCcl) {
    ScanCIncludes(source_);
  } else if (scan_kind == kScanKindAssembler) {
    search_.push_back(".");
    ScanAsmIncludes(source_);
  } else if (scan_kind == kScanKindAssemblerMacro) {
    assembler_flag_ = true;
    ScanAsmIncludes(source_);
  }
  return !out_of_budget_;
}

void ReferenceIncludeScanner::ScanCIncludes(const std::string& file) {
  if (style_ == 3) {
    saved_.push_back(search_[1]);
    search_[1] = GetFileDirectory(file);
  }
  ScanLines(file, false);
  if (style_ == 3) {
    search_[1] = saved_.back();
    saved_.pop_back();
  }
}

void ReferenceIncludeScanner::ScanAsmIncludes(const std::string& file) {
  ScanLines(file, true);
}

void ReferenceIncludeScanner::ScanLines(const std::string& file, bool assembler) {
  ++scans_;
  if (budget_end_ != 0 && scans_ > budget_end_) out_of_budget_ = true;
  if (out_of_budget_) return;
  std::string text;
  if (!fs_.ReadFile(file, &text)) return;
  TextLineReader reader(text);
  CommentRemover comments;
  std::string_view raw;
  while (!out_of_budget_ && reader.Next(&raw)) {
    std::string line = assembler ? CleanAsmLine(raw) : comments.RemoveComments(raw);
    std::string name;
    int form = 0;
    if (!ParseIncludeLine(line, &name, &form)) continue;
    if (form == kIncludeAngle && options_->skip_system_includes) continue;
    std::string found;
    std::string guess;
    if (FindIncludeFile(name, form, &found, &guess)) {
      ++depth_;
      if (CheckIncludeDepth(assembler)) {
        RecordDependency(form, found);
        if (assembler) {
          ScanAsmIncludes(found);
        } else {
          ScanCIncludes(found);
        }
      }
      --depth_;
      continue;
    }
    if (!update_dependency_file_) RecordDependency(form, guess);
    if (!options_->report_unresolved) continue;
    if (unresolved_pending_) {
      unresolved_pending_ = false;
      output_.WriteOutputLine("W-007-D000:" + LoadMessage(ui_, kMsgIncludeNotFound),
                              kOutputWarning);
    }
    if (!options_->title.empty() && !title_written_) {
      title_written_ = true;
      output_.WriteOutputLine("I-007-1300:" + options_->title + " - (" + source_ + ")",
                              kOutputInformation);
    }
    ++unresolved_count_;
    output_.WriteOutputLineAt("W-007-D001:", file, reader.line_number(), raw, kOutputWarning);
  }
}

std::string ReferenceIncludeScanner::FullPathOf(std::string_view dir, std::string_view name) {
  // An empty directory adds nothing, not a root.
  std::string directory = dir.empty() ? std::string() : AppendLastSlash(dir);
  PathParts parts = SplitPath(name);
  std::string candidate = directory + parts.directory + parts.title + parts.extension;
  bool full = candidate.rfind("\\\\", 0) == 0 || (candidate.size() >= 2 && candidate[1] == ':') ||
              (!candidate.empty() && (candidate[0] == '\\' || candidate[0] == '/'));
  if (!full) candidate = base_directory_ + candidate;
  return candidate;
}

bool ReferenceIncludeScanner::FindIncludeFile(const std::string& name, int form, std::string* found,
                                              std::string* guess) {
  guess->clear();
  bool absolute = (name.size() >= 2 && name[1] == ':') || name[0] == '\\' || name[0] == '/';
  if (absolute) {
    if (FileExists(fs_, name)) {
      *found = name;
      return true;
    }
    if (!update_dependency_file_) *guess = name;
    return false;
  }
  size_t start = form == kIncludeQuoted ? 0 : 2;
  if (assembler_flag_ && form == kIncludeQuoted) {
    if (style_ == 1) start = 1;
    if (style_ == 0 && depth_ >= 1) start = 2;
  }
  for (size_t i = start; i < search_.size(); ++i) {
    std::string candidate = FullPathOf(search_[i], name);
    if (FileExists(fs_, candidate)) {
      *found = fs_.FullPath(candidate);
      return true;
    }
  }
  if (update_dependency_file_) return false;
  std::string dir = search_[0];
  if (form == kIncludeAngle) {
    if (search_.size() >= 3) {
      dir = search_[2];
    } else if (!toolchain_include_.empty()) {
      dir = toolchain_include_;
    }
  }
  *guess = fs_.FullPath(FullPathOf(dir, name));
  return false;
}

bool ReferenceIncludeScanner::CheckIncludeDepth(bool assembler) {
  int limit = 255;
  if (!assembler_flag_) {
    if (assembler) {
      limit = 8;
    } else if (style_ == 2 || style_ == 0) {
      limit = 31;
    }
  }
  if (depth_ <= limit) return true;
  run_hit_limit_ = true;
  if (nesting_pending_) {
    nesting_pending_ = false;
    output_.WriteOutputLine("W-007-D003:" + LoadMessage(ui_, kMsgIncludeTooDeep), kOutputWarning);
  }
  return false;
}

void ReferenceIncludeScanner::RecordDependency(int form, const std::string& path) {
  if (!seen_.insert(ToLowerAscii(path)).second) return;
  paths_->push_back(path);
  forms_->push_back(form == kIncludeQuoted ? "1" : "0");
}

}  // namespace zelvan::testing
