// Ctrl-C as a stop request, and whether an output stream is a terminal.
//
// A long operation (a dependency refresh) asks between its steps whether it
// should stop; a command-line host turns the first Ctrl-C into that request
// instead of ending the process in the middle of a step. A second Ctrl-C
// ends the process as usual, which still leaves every file whole, since
// files are replaced atomically.
#pragma once

namespace zelvan {

// Installs the handler of SIGINT: the first interrupt only sets the flag
// below (and restores the usual handling for the next one). Installing it
// again arms it again.
void InstallInterruptHandler();
// Restores the usual handling when the handler above is installed: a
// module that installed it must remove it before it is unloaded.
void RemoveInterruptHandler();
// True once an interrupt arrived since the handler was installed or the
// flag was cleared.
bool InterruptRequested();
void ClearInterruptRequest();
// Sets the flag as an interrupt would (for tests, and for hosts that learn
// of a stop request another way).
void RequestInterrupt();

// Whether the standard error stream is a terminal (progress bars are drawn
// only there; elsewhere progress is written as plain lines).
bool StandardErrorIsTerminal();

}  // namespace zelvan
