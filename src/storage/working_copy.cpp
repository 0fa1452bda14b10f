#include "storage/working_copy.h"

#include <optional>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

std::string NonEmptyEnv(SystemServices& system, std::string_view name) {
  std::optional<std::string> value = system.GetEnv(name);
  return value ? *value : std::string();
}

}  // namespace

std::string WorkingCopyPattern(const Platform& platform, std::string_view project_path) {
  std::string project = platform.fs->FullPath(project_path);
  PathParts parts = SplitPath(project);
  std::string base = NonEmptyEnv(*platform.system, "TEMP");
  if (base.empty()) base = NonEmptyEnv(*platform.system, "TMP");
  if (base.empty()) {
    base = parts.drive + parts.directory;
  } else {
    // A POSIX host's environment holds host paths.
    if (base[0] == '/') base = platform.fs->FromHostPath(base);
    base = platform.fs->FullPath(base);
  }
  std::string extension = parts.extension.empty() ? std::string() : parts.extension.substr(1);
  return TemporaryPattern(AppendLastSlash(base) + "KOVA\\" + parts.title + "_" + extension + "_");
}

bool CreateWorkingCopy(const Platform& platform, std::string_view project_path,
                       std::string* working_copy, std::string* error) {
  FileSystem& fs = *platform.fs;
  auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  if (!FileExists(fs, project_path)) {
    return fail("cannot find the project file " + std::string(project_path));
  }
  std::string pattern = WorkingCopyPattern(platform, project_path);
  std::string folder = GetFileDirectory(pattern);
  if (!CreateDirectories(fs, folder)) return fail("cannot create the folder " + folder);
  // The name is free when chosen; another program may take it before the
  // copy, so the copy never replaces a file and a taken name is chosen again.
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::string name;
    if (!MakeUniqueName(fs, pattern, &name)) break;
    // A working copy is made again from the project file after a crash: it
    // need not be forced to disk.
    if (Status copied = fs.CopyScratchFile(project_path, name, /*fail_if_exists=*/true); !copied) {
      if (FileExists(fs, name)) continue;
      return fail("cannot copy " + std::string(project_path) + " to " + name + ": " +
                  copied.ToString());
    }
    FileStatus status;
    if (fs.Stat(name, &status) && status.read_only && !fs.SetReadOnly(name, false)) {
      // Best effort: a read-only file may refuse to go until the attribute does.
      if (!fs.DeleteFile(name) && fs.SetReadOnly(name, false)) fs.DeleteFile(name);
      return fail("cannot make the working copy " + name + " writable");
    }
    *working_copy = std::move(name);
    return true;
  }
  return fail("no free name for a working copy in " + folder);
}

}  // namespace zelvan
