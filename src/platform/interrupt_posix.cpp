#include <signal.h>
#include <unistd.h>

#include "platform/interrupt.h"

namespace zelvan {

namespace {

volatile sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
  // The next Ctrl-C ends the process: a user who insists is obeyed.
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

void RemoveInterruptHandler() {
  struct sigaction current = {};
  if (::sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == OnInterrupt) {
    ::signal(SIGINT, SIG_DFL);
  }
}

bool InterruptRequested() {
  return interrupted != 0;
}

void ClearInterruptRequest() {
  interrupted = 0;
}

void RequestInterrupt() {
  interrupted = 1;
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace zelvan
