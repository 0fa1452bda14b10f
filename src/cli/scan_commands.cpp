#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/session_files.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "scanner/c_file_scanner.h"
#include "scanner/scan_words.h"

namespace zelvan::cli {
namespace {

struct ScanArgs {
  std::string file;
  bool active = false;
};

int RunScan(const ScanArgs& args) {
  std::unique_ptr<HostPlatform> host = HostPlatform::Create(nullptr);
  FileSystem& fs = *host->platform().fs;
  CFileScanner source;
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

void ScanOptions(CLI::App& cmd, ScanArgs& args) {
  cmd.add_option("file", args.file, "The source file")->required();
  cmd.add_flag("--active", args.active,
               "Only the words the parser hands on: directives consumed, inactive branches "
               "dropped");
}

const CommandEntry kScanCommands[] = {
    {.name = "scan",
     .help = "Print the words of a C source and the delimiter that ended each (a debugging aid)",
     .set_up = SetUp(ScanOptions, RunScan)},
};

}  // namespace

void RegisterScanCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kScanCommands);
}

}  // namespace zelvan::cli
