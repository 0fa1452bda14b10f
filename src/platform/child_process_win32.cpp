// Child processes of a Windows host: CreateProcess, with the command line
// quoted the way the C runtime splits it again. A build's child runs in a
// process group and a job object of its own: Ctrl-C and Ctrl-Break reach
// it through the console as they reach us (SetConsoleCtrlHandler tells us),
// a stop request sends it Ctrl-Break, a second interrupt ends the job, and
// once the child has ended whatever it left running in the job is ended.
#include <signal.h>
#include "platform/win32_api.h"

#include <atomic>
#include <map>

#include "platform/ansi_text.h"
#include "platform/child_process.h"
#include "platform/os_error.h"
#include "platform/status.h"

namespace zelvan {

namespace {

std::string LastErrorText(std::string_view context) {
  return OsErrorStatus(static_cast<int>(::GetLastError()), context).ToString();
}

bool IsFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// `name` as given, or with the first extension of PATHEXT that names a file.
std::string WithExtension(const std::string& base) {
  if (IsFile(base) && base.find('.', base.find_last_of("\\/") + 1) != std::string::npos) {
    return base;
  }
  char extensions[1024];
  DWORD got = ::GetEnvironmentVariableA("PATHEXT", extensions, sizeof extensions);
  std::string list = got > 0 && got < sizeof extensions ? extensions : ".COM;.EXE;.BAT;.CMD";
  for (const std::string& extension : SplitAll(list, ';')) {
    if (!extension.empty() && IsFile(base + extension)) return base + extension;
  }
  return IsFile(base) ? base : std::string();
}

// One argument as the C runtime reads it back: quoted when it holds blanks
// or quotes, backslashes doubled where a quote follows them.
void AppendQuoted(std::string_view argument, std::string* line) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
    line->append(argument);
    return;
  }
  line->push_back('"');
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"')
      line->append(backslashes * 2 + 1, '\\');
    else
      line->append(backslashes, '\\');
    backslashes = 0;
    line->push_back(c);
  }
  line->append(backslashes * 2, '\\');
  line->push_back('"');
}

std::string CommandLine(const ChildProcess& child) {
  std::string line;
  AppendQuoted(child.program, &line);
  for (const std::string& argument : child.arguments) {
    line.push_back(' ');
    AppendQuoted(argument, &line);
  }
  return line;
}

// Ours, with the child's variables set or replaced (names without case).
std::string EnvironmentBlock(const ChildProcess& child) {
  std::map<std::string, std::string, NoCaseLess> variables;
  if (char* block = ::GetEnvironmentStringsA()) {
    for (const char* entry = block; *entry != '\0'; entry += std::string_view(entry).size() + 1) {
      std::string_view text(entry);
      // "=C:=C:\dir" entries keep a drive's current directory: the '=' after the first.
      size_t equals = text.find('=', 1);
      if (equals == std::string_view::npos) continue;
      variables.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    ::FreeEnvironmentStringsA(block);
  }
  for (const auto& [name, value] : child.environment)
    variables[name] = value;
  std::string out;
  for (const auto& [name, value] : variables) {
    out += name + "=" + value;
    out.push_back('\0');
  }
  out.push_back('\0');
  return out;
}

HANDLE Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
  return copy;
}

// Starts the child; its standard handles are `output` (output and error)
// when given, else ours. The handles passed stay the caller's.
bool Start(const ChildProcess& child, HANDLE output, DWORD flags, PROCESS_INFORMATION* process,
           std::string* error) {
  std::string line = CommandLine(child);
  std::string environment = EnvironmentBlock(child);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  HANDLE null_output = nullptr;
  if (child.discard_output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    null_output = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
  }
  HANDLE in = Inheritable(::GetStdHandle(STD_INPUT_HANDLE));
  HANDLE out = child.discard_output ? Inheritable(null_output)
               : output != nullptr  ? Inheritable(output)
                                    : Inheritable(::GetStdHandle(STD_OUTPUT_HANDLE));
  HANDLE err =
      output != nullptr ? Inheritable(output) : Inheritable(::GetStdHandle(STD_ERROR_HANDLE));
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  BOOL started = ::CreateProcessA(
      child.program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, environment.data(),
      child.working_dir.empty() ? nullptr : child.working_dir.c_str(), &startup, process);
  if (!started) *error = LastErrorText("cannot run " + child.program);
  for (HANDLE handle : {in, out, err, null_output}) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  return started != 0;
}

int ExitStatus(HANDLE process) {
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

}  // namespace

std::string FindProgramOnPath(std::string_view name, std::string_view path_list) {
  if (name.empty()) return std::string();
  if (name.find_first_of("\\/:") != std::string_view::npos) return WithExtension(std::string(name));
  while (true) {
    size_t semicolon = path_list.find(';');
    std::string_view dir = path_list.substr(0, semicolon);
    std::string candidate = dir.empty() ? std::string(".") : std::string(dir);
    if (candidate.back() != '\\' && candidate.back() != '/') candidate += '\\';
    candidate += name;
    if (std::string found = WithExtension(candidate); !found.empty()) return found;
    if (semicolon == std::string_view::npos) return std::string();
    path_list.remove_prefix(semicolon + 1);
  }
}

bool RunChildProcess(const ChildProcess& child, std::string* output, int* exit_status,
                     std::string* error) {
  *exit_status = -1;
  HANDLE read_end = nullptr, write_end = nullptr;
  if (output != nullptr && !::CreatePipe(&read_end, &write_end, nullptr, 0)) {
    *error = LastErrorText("cannot make a pipe");
    return false;
  }
  PROCESS_INFORMATION process = {};
  bool started = Start(child, write_end, 0, &process, error);
  if (write_end != nullptr) ::CloseHandle(write_end);  // the child holds its own copy
  if (read_end != nullptr) {
    char buffer[8192];
    DWORD got = 0;
    while (started && ::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
      output->append(buffer, got);
    ::CloseHandle(read_end);
  }
  if (!started) return false;
  ::CloseHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  *exit_status = ExitStatus(process.hProcess);
  ::CloseHandle(process.hProcess);
  return true;
}

namespace {

// What the console handler shares with RunChildProcessGroup. One group runs at a time.
std::atomic<int> group_signal{0};
std::atomic<int> group_signals{0};
std::atomic<HANDLE> group_job{nullptr};

BOOL WINAPI OnGroupControl(DWORD event) {
  int signal = event == CTRL_C_EVENT ? SIGINT : event == CTRL_BREAK_EVENT ? SIGBREAK : SIGTERM;
  int expected = 0;
  group_signal.compare_exchange_strong(expected, signal);
  // The child has the console's event itself; one who insists ends the job.
  if (++group_signals > 1) {
    if (HANDLE job = group_job.load()) ::TerminateJobObject(job, 128 + signal);
  }
  return TRUE;
}

}  // namespace

bool RunChildProcessGroup(const ChildProcess& child, const std::function<bool()>& stop_requested,
                          int poll_ms, ChildOutcome* outcome, std::string* error) {
  *outcome = ChildOutcome();
  group_signal = 0;
  group_signals = 0;
  ::SetConsoleCtrlHandler(OnGroupControl, TRUE);
  struct Restore {
    ~Restore() {
      ::SetConsoleCtrlHandler(OnGroupControl, FALSE);
      if (HANDLE job = group_job.exchange(nullptr)) ::CloseHandle(job);
    }
  } restore;
  GroupWait wait(stop_requested, outcome);
  if (wait.EndsBeforeStart(group_signal)) return true;
  // Closing the job's last handle ends what is left in it: nothing the
  // child started outlives us, however we end.
  HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
  if (job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    group_job = job;
  }
  PROCESS_INFORMATION process = {};
  if (!Start(child, nullptr, CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, &process, error)) {
    outcome->signal = group_signal;
    return false;
  }
  if (job != nullptr) ::AssignProcessToJobObject(job, process.hProcess);
  ::ResumeThread(process.hThread);
  ::CloseHandle(process.hThread);
  while (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(poll_ms)) == WAIT_TIMEOUT) {
    if (wait.StopNow()) ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId);
  }
  if (wait.End(group_signal) && job != nullptr) ::TerminateJobObject(job, 1);
  outcome->exit_status = ExitStatus(process.hProcess);
  ::CloseHandle(process.hProcess);
  return true;
}

void EndProcessBySignal(int signal) {
  // Windows has no death by signal to pass on: the status a shell shows for one.
  ::ExitProcess(static_cast<UINT>(128 + signal));
}

}  // namespace zelvan
