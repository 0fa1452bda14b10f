#include "platform/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <iterator>
#include <map>

extern char** environ;

namespace zelvan {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgramOnPath(std::string_view name, std::string_view path_list) {
  if (name.empty()) return std::string();
  if (name.find('/') != std::string_view::npos) {
    return IsExecutableFile(std::string(name)) ? std::string(name) : std::string();
  }
  while (true) {
    size_t colon = path_list.find(':');
    std::string_view dir = path_list.substr(0, colon);
    // An empty entry is the current directory, as the shell takes it.
    std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/";
    candidate += name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return std::string();
    path_list.remove_prefix(colon + 1);
  }
}

namespace {

// What a child needs, made before the fork: between fork and exec only
// async-signal-safe calls are allowed.
struct ExecArguments {
  std::vector<std::string> argument_texts;
  std::vector<std::string> environment_texts;
  std::vector<char*> argv;
  std::vector<char*> envp;

  explicit ExecArguments(const ChildProcess& child) {
    argument_texts.push_back(child.program);
    argument_texts.insert(argument_texts.end(), child.arguments.begin(), child.arguments.end());
    for (std::string& text : argument_texts)
      argv.push_back(text.data());
    argv.push_back(nullptr);
    std::map<std::string, std::string> replaced(child.environment.begin(), child.environment.end());
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string_view text(*entry);
      if (replaced.count(std::string(text.substr(0, text.find('=')))) != 0) continue;
      environment_texts.emplace_back(text);
    }
    for (const auto& [name, value] : child.environment)
      environment_texts.push_back(name + "=" + value);
    for (std::string& text : environment_texts)
      envp.push_back(text.data());
    envp.push_back(nullptr);
  }
};

// The signals a build passes on to make's group.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A started child: its process id and the pipe on which it reports a
// failed chdir or exec (a successful exec closes it).
struct Spawned {
  pid_t pid = -1;
  int report = -1;
};

// Forks and execs the child. `output_fd` >= 0 becomes its standard output
// and error, `input_fd` >= 0 its standard input. With `own_group` the child
// leads a process group of its own and takes the default handling of the
// stop signals and the signal mask `mask` (the parent blocks them around
// the fork, so none is lost).
bool Spawn(const ChildProcess& child, const ExecArguments& exec, int output_fd, int input_fd,
           bool own_group, const sigset_t* mask, Spawned* spawned, std::string* error) {
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + ::strerror(errno);
    return false;
  }
  pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid < 0) {
    *error = std::string("cannot start a process: ") + ::strerror(errno);
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (pid == 0) {
    if (own_group) {
      struct sigaction action = {};
      action.sa_handler = SIG_DFL;
      sigemptyset(&action.sa_mask);
      // What was ignored (nohup) stays ignored; the parent's handlers go.
      for (int signal : kStopSignals) {
        struct sigaction current;
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
          ::sigaction(signal, &action, nullptr);
        }
      }
      ::sigaction(SIGCHLD, &action, nullptr);
      ::setpgid(0, 0);
#ifdef __linux__
      // A parent killed outright (SIGKILL) cannot pass anything on.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(127);
#endif
      ::sigprocmask(SIG_SETMASK, mask, nullptr);
    }
    (void)parent;
    if (output_fd >= 0) {
      ::dup2(output_fd, STDOUT_FILENO);
      ::dup2(output_fd, STDERR_FILENO);
    }
    if (input_fd >= 0) ::dup2(input_fd, STDIN_FILENO);
    if (child.discard_output) {
      int null_fd = ::open("/dev/null", O_WRONLY);
      if (null_fd >= 0) ::dup2(null_fd, STDOUT_FILENO);
    }
    // Tells the parent which step failed: 'd' the directory, 'x' the exec.
    char message[1 + sizeof(int)];
    message[0] = 'd';
    if (child.working_dir.empty() || ::chdir(child.working_dir.c_str()) == 0) {
      message[0] = 'x';
      ::execve(exec.argv[0], exec.argv.data(), exec.envp.data());
    }
    int failure = errno;
    ::memcpy(message + 1, &failure, sizeof(int));
    ssize_t ignored = ::write(report[1], message, sizeof(message));
    (void)ignored;
    ::_exit(127);
  }
  // Set on both sides: whichever runs first, the group exists once either returns.
  if (own_group) ::setpgid(pid, pid);
  ::close(report[1]);
  spawned->pid = pid;
  spawned->report = report[0];
  return true;
}

// Reads what the child reported on its pipe and closes it; false, with the
// reason in `error`, when its chdir or exec failed.
bool ChildStarted(const ChildProcess& child, int report, std::string* error) {
  char message[1 + sizeof(int)];
  ssize_t reported;
  do {
    reported = ::read(report, message, sizeof(message));
  } while (reported < 0 && errno == EINTR);
  ::close(report);
  if (reported != static_cast<ssize_t>(sizeof(message))) return true;
  int failure;
  ::memcpy(&failure, message + 1, sizeof(int));
  *error = (message[0] == 'd' ? "cannot change to " + child.working_dir
                              : "cannot run " + child.program) +
           ": " + ::strerror(failure);
  return false;
}

int StatusOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool Reap(pid_t pid, int* status, std::string* error) {
  while (::waitpid(pid, status, 0) < 0) {
    if (errno != EINTR) {
      *error = std::string("cannot wait for the process: ") + ::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace

bool RunChildProcess(const ChildProcess& child, std::string* output, int* exit_status,
                     std::string* error) {
  *exit_status = -1;
  ExecArguments exec(child);
  int collect[2] = {-1, -1};
  if (output != nullptr && ::pipe2(collect, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + ::strerror(errno);
    return false;
  }
  Spawned spawned;
  bool started = Spawn(child, exec, collect[1], -1, false, nullptr, &spawned, error);
  if (collect[1] >= 0) ::close(collect[1]);
  if (!started) {
    if (collect[0] >= 0) ::close(collect[0]);
    return false;
  }
  if (collect[0] >= 0) {
    char buffer[8192];
    while (true) {
      ssize_t got = ::read(collect[0], buffer, sizeof(buffer));
      if (got > 0) {
        output->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        break;
      }
    }
    ::close(collect[0]);
  }
  bool exec_ok = ChildStarted(child, spawned.report, error);
  int status = 0;
  if (!Reap(spawned.pid, &status, error) || !exec_ok) return false;
  *exit_status = StatusOf(status);
  return true;
}

namespace {

// What the handlers of RunChildProcessGroup share with it. One group runs
// at a time.
volatile sig_atomic_t group_signal = 0;   // the first stop signal
volatile sig_atomic_t group_signals = 0;  // how many arrived
volatile sig_atomic_t group_leader = 0;   // the running group, 0 before it starts
int wake_pipe[2] = {-1, -1};              // makes the waiting poll return

extern "C" void OnGroupSignal(int signal) {
  int saved = errno;
  if (signal != SIGCHLD) {
    if (group_signal == 0) group_signal = signal;
    group_signals = group_signals + 1;
    pid_t leader = group_leader;
    // The first is passed on as it came; one who insists kills.
    if (leader > 0) ::kill(-leader, group_signals > 1 ? SIGKILL : signal);
  }
  char byte = 0;
  ssize_t ignored = ::write(wake_pipe[1], &byte, 1);
  (void)ignored;
  errno = saved;
}

// Installs the handlers of the stop signals and SIGCHLD, and restores the
// previous ones when it goes.
class GroupSignals {
 public:
  bool Install(std::string* error) {
    if (::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
      *error = std::string("cannot make a pipe: ") + ::strerror(errno);
      return false;
    }
    group_signal = 0;
    group_signals = 0;
    group_leader = 0;
    struct sigaction action = {};
    action.sa_handler = OnGroupSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
      ::sigaction(kSignals[i], nullptr, &previous_[i]);
      // A signal the user had ignored (nohup) stays ignored, make's too.
      if (kSignals[i] == SIGCHLD || previous_[i].sa_handler != SIG_IGN) {
        ::sigaction(kSignals[i], &action, nullptr);
      }
    }
    installed_ = true;
    return true;
  }
  ~GroupSignals() {
    if (!installed_) return;
    group_leader = 0;
    for (size_t i = 0; i < std::size(kSignals); ++i)
      ::sigaction(kSignals[i], &previous_[i], nullptr);
    for (int& fd : wake_pipe) {
      ::close(fd);
      fd = -1;
    }
  }

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGCHLD};
  struct sigaction previous_[std::size(kSignals)] = {};
  bool installed_ = false;
};

}  // namespace

bool RunChildProcessGroup(const ChildProcess& child, const std::function<bool()>& stop_requested,
                          int poll_ms, ChildOutcome* outcome, std::string* error) {
  *outcome = ChildOutcome();
  ExecArguments exec(child);
  GroupSignals signals;
  if (!signals.Install(error)) return false;
  // A stop that came before the child would start starts nothing.
  GroupWait wait(stop_requested, outcome);
  if (wait.EndsBeforeStart(group_signal)) return true;
  sigset_t blocked, previous_mask;
  sigemptyset(&blocked);
  for (int signal : kStopSignals)
    sigaddset(&blocked, signal);
  sigaddset(&blocked, SIGCHLD);
  ::sigprocmask(SIG_BLOCK, &blocked, &previous_mask);
  Spawned spawned;
  // Off the terminal's foreground group, a read of the terminal would stop
  // the build for good (SIGTTIN): the group reads nothing instead.
  int no_input = ::isatty(STDIN_FILENO) == 1 ? ::open("/dev/null", O_RDONLY | O_CLOEXEC) : -1;
  bool started = Spawn(child, exec, -1, no_input, true, &previous_mask, &spawned, error);
  if (no_input >= 0) ::close(no_input);
  if (started) group_leader = spawned.pid;
  // A signal that came meanwhile is handled now, and reaches the group; one
  // that came just before the fork is passed on here.
  ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
  if (started && group_signal != 0) ::kill(-spawned.pid, group_signal);
  if (!started) {
    outcome->signal = group_signal;
    return false;
  }
  bool exec_ok = ChildStarted(child, spawned.report, error);
  while (true) {
    // Looked at, not reaped: while the child is a zombie its group id
    // cannot name another group.
    siginfo_t info = {};
    int looked =
        ::waitid(P_PID, static_cast<id_t>(spawned.pid), &info, WEXITED | WNOHANG | WNOWAIT);
    if ((looked == 0 && info.si_pid == spawned.pid) || (looked < 0 && errno != EINTR)) break;
    if (wait.StopNow()) ::kill(-spawned.pid, SIGTERM);
    struct pollfd wake = {wake_pipe[0], POLLIN, 0};
    ::poll(&wake, 1, poll_ms);
    char drain[64];
    while (::read(wake_pipe[0], drain, sizeof(drain)) > 0) {
    }
  }
  if (wait.End(group_signal)) ::kill(-spawned.pid, SIGKILL);
  group_leader = 0;
  int status = 0;
  if (!Reap(spawned.pid, &status, error) || !exec_ok) return false;
  outcome->exit_status = StatusOf(status);
  return true;
}

void EndProcessBySignal(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);
}

}  // namespace zelvan
