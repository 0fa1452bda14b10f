#include "platform/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

// Whether the process `pid` still runs (a zombie has ended).
bool Running(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  size_t close = line.rfind(')');
  return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

// A group whose leader is stopped leaves nothing behind: not the leader,
// not a grandchild that ignores the signal (as a background job of a script
// ignores SIGINT). A stop before the start starts nothing; a child that
// ends on its own keeps its status, a signal its 128 + signal.
TEST(ChildProcessTest, AStopEndsTheWholeGroup) {
  const struct {
    const char* name;
    const char* script;  // $1: where the grandchild's pid goes
    int stop_after;      // polls before the stop: -1 never, 0 before the start
    int to_us;           // signal this process gets at the stop, 0: a stop request
    int status;          // -1: did not run
  } cases[] = {
      {"ends on its own", "exit 3", -1, 0, 3},
      {"killed by a signal", "kill -KILL $$", -1, 0, 128 + SIGKILL},
      {"stop request", "sleep 30 & echo $! > \"$1\"; wait", 2, 0, 128 + SIGTERM},
      {"SIGINT to us", "(trap '' INT; exec sleep 30) & echo $! > \"$1\"; wait", 2, SIGINT,
       128 + SIGINT},
      {"SIGHUP to us", "sleep 30 & echo $! > \"$1\"; wait", 2, SIGHUP, 128 + SIGHUP},
      {"stop before the start", "echo ran > \"$1\"", 0, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    std::string pid_file = dir.HostPath("pid");
    ChildProcess child{"/bin/sh", {"-c", c.script, "sh", pid_file}, {}, {}};
    int polls = 0;
    auto stop = [&] {
      if (c.stop_after < 0 || polls++ != c.stop_after) return false;
      // The grandchild is there before anything stops.
      for (int i = 0; c.stop_after > 0 && i < 1000 && dir.ReadFile("pid").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (c.to_us == 0) return true;
      ::raise(c.to_us);
      return false;
    };
    ChildOutcome outcome;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunChildProcessGroup(child, stop, 10, &outcome, &error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(outcome.exit_status, c.status);
    EXPECT_EQ(outcome.signal, c.to_us);
    EXPECT_EQ(outcome.stop_requested, c.stop_after >= 0 && c.to_us == 0);
    std::string grandchild = dir.ReadFile("pid");
    if (c.stop_after > 0) {
      ASSERT_FALSE(grandchild.empty());
      int pid = std::stoi(grandchild);
      for (int i = 0; i < 500 && Running(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      EXPECT_FALSE(Running(pid)) << "the grandchild survived";
    } else if (c.stop_after == 0) {
      EXPECT_EQ(grandchild, "");
    }
  }
  // Our own handling is back.
  struct sigaction action = {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

// The parent sees the signal that stopped us, not an exit status.
TEST(ChildProcessTest, EndProcessBySignal) {
  EXPECT_EXIT(EndProcessBySignal(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace zelvan
