// What the workspace commands and their per-target setting commands (get
// and set) share.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_command.h"

namespace zelvan {
class Project;
}  // namespace zelvan

namespace zelvan::cli {

class Session;

// Per-target settings by their short names, read and written through the
// project's operations; with --raw, SETTING is a key of the target section.
enum class Setting { kRaw, kCompile, kLink, kConvert, kOutput, kWork, kTemp, kDebug };

constexpr std::pair<const char*, Setting> kSettingNames[] = {
    {"compile", Setting::kCompile}, {"link", Setting::kLink}, {"convert", Setting::kConvert},
    {"output", Setting::kOutput},   {"work", Setting::kWork}, {"temp", Setting::kTemp},
    {"debug", Setting::kDebug},
};

struct ProjectTargetArgs {
  std::string project;
  std::string target;
  bool json = false;  // get --json
  bool raw = false;   // --raw: SETTING is a key of the target section
};

bool CheckProjectTarget(Session& session, std::string_view project, std::string_view target,
                        std::vector<std::string>* targets);
std::string TargetName(const std::vector<std::string>& targets, std::string_view name);
std::string TargetName(Project& project, std::string_view name);

int RunGet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& typed);
int RunSet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& typed,
           const std::string& value);

}  // namespace zelvan::cli
