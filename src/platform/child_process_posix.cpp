#include "platform/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool RunChildProcess(const ChildProcess& child, std::string* output, int* exit_status,
                     std::string* error) {
  *exit_status = -1;
  // Everything the child needs is made before the fork: between fork and
  // exec only async-signal-safe calls are allowed.
  std::vector<std::string> argument_texts;
  argument_texts.push_back(child.program);
  argument_texts.insert(argument_texts.end(), child.arguments.begin(), child.arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argument_texts)
    argv.push_back(text.data());
  argv.push_back(nullptr);

  std::map<std::string, std::string> replaced(child.environment.begin(), child.environment.end());
  std::vector<std::string> environment_texts;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string_view text(*entry);
    if (replaced.count(std::string(text.substr(0, text.find('=')))) != 0) continue;
    environment_texts.emplace_back(text);
  }
  for (const auto& [name, value] : child.environment)
    environment_texts.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& text : environment_texts)
    envp.push_back(text.data());
  envp.push_back(nullptr);

  // The child reports a failed chdir or exec through this pipe; a
  // successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + ::strerror(errno);
    return false;
  }
  int collect[2] = {-1, -1};
  if (output != nullptr && ::pipe2(collect, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + ::strerror(errno);
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  pid_t pid = ::fork();
  if (pid < 0) {
    *error = std::string("cannot start a process: ") + ::strerror(errno);
    for (int fd : {report[0], report[1], collect[0], collect[1]}) {
      if (fd >= 0) ::close(fd);
    }
    return false;
  }
  if (pid == 0) {
    if (collect[1] >= 0) {
      ::dup2(collect[1], STDOUT_FILENO);
      ::dup2(collect[1], STDERR_FILENO);
    }
    // Tells the parent which step failed: 'd' the directory, 'x' the exec.
    char message[1 + sizeof(int)];
    message[0] = 'd';
    if (child.working_dir.empty() || ::chdir(child.working_dir.c_str()) == 0) {
      message[0] = 'x';
      ::execve(argv[0], argv.data(), envp.data());
    }
    int failure = errno;
    ::memcpy(message + 1, &failure, sizeof(int));
    ssize_t ignored = ::write(report[1], message, sizeof(message));
    (void)ignored;
    ::_exit(127);
  }
  ::close(report[1]);
  if (collect[1] >= 0) {
    ::close(collect[1]);
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
  char message[1 + sizeof(int)];
  ssize_t reported;
  do {
    reported = ::read(report[0], message, sizeof(message));
  } while (reported < 0 && errno == EINTR);
  ::close(report[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      *error = std::string("cannot wait for the process: ") + ::strerror(errno);
      return false;
    }
  }
  if (reported == static_cast<ssize_t>(sizeof(message))) {
    int failure;
    ::memcpy(&failure, message + 1, sizeof(int));
    *error = (message[0] == 'd' ? "cannot change to " + child.working_dir
                                : "cannot run " + child.program) +
             ": " + ::strerror(failure);
    return false;
  }
  *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return true;
}

}  // namespace zelvan
