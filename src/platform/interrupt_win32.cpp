#include "platform/win32_api.h"

#include <atomic>

#include "platform/interrupt.h"

namespace zelvan {

namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> installed{false};

// Runs on a thread of its own that the console starts.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  // The next Ctrl-C ends the process: a user who insists is obeyed.
  if (installed.exchange(false)) ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  return TRUE;
}

}  // namespace

void InstallInterruptHandler() {
  if (!installed.exchange(true)) ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RemoveInterruptHandler() {
  if (installed.exchange(false)) ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool InterruptRequested() {
  return interrupted;
}

void ClearInterruptRequest() {
  interrupted = false;
}

void RequestInterrupt() {
  interrupted = true;
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace zelvan
