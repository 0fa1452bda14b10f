#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/perser_file.h"
#include "analysis/scan_words.h"
#include "cli/cli_command.h"
#include "cli/session_files.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"

namespace zelvan::cli {
namespace {

struct ScanArgs {
  std::string file;
  bool active = false;
};

int RunScan(const ScanArgs& args) {
  std::unique_ptr<HostPlatform> host = HostPlatform::Create(nullptr);
  FileSystem& fs = *host->platform().fs;
  CPerserFile source;
  if (!source.Open(fs, CommandLinePath(fs, args.file, std::cerr))) {
    std::fprintf(stderr, "zelvan: cannot read %s\n", args.file.c_str());
    return kExitFailed;
  }
  std::vector<ScannedWord> words;
  bool complete = true;
  if (args.active) {
    complete = ReadActiveWords(source, &words);
  } else {
    ReadAllWords(source, &words);
  }
  std::fputs(FormatWords(words).c_str(), stdout);
  if (!complete) {
    std::fprintf(stderr, "zelvan: the scan stopped at a malformed conditional directive\n");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

void RegisterScanCommands(const CommandRegistry& registry) {
  auto args = std::make_shared<ScanArgs>();
  CLI::App* scan = registry.app->add_subcommand(
      "scan", "Print the words of a C source and the delimiter that ended each (a debugging aid)");
  scan->add_option("file", args->file, "The source file")->required();
  scan->add_flag("--active", args->active,
                 "Only the words the parser hands on: directives consumed, inactive branches "
                 "dropped");
  scan->callback([args, registry] { *registry.selected = [args] { return RunScan(*args); }; });
}

}  // namespace zelvan::cli
