#include "host/write_locks.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fake_system_services.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

// Lock files that another process holds for a number of tries, and a count
// of the locks alive, so a test sees what it holds and what it let go.
class ContendedFileSystem : public testing::MemoryFileSystem {
 public:
  struct CountedLock : FileLock {
    explicit CountedLock(int& alive) : alive_(alive) { ++alive_; }
    ~CountedLock() override { --alive_; }
    int& alive_;
  };

  LockResult TryLockFile(std::string_view lock_path, std::unique_ptr<FileLock>* lock) override {
    tries.push_back(std::string(lock_path));
    if (unavailable) return LockResult::kUnavailable;
    int& busy = busy_tries[std::string(lock_path)];
    if (busy != 0) {
      if (busy > 0) --busy;  // -1: busy for ever
      return LockResult::kBusy;
    }
    *lock = std::make_unique<CountedLock>(alive);
    return LockResult::kLocked;
  }

  std::map<std::string, int> busy_tries;
  std::vector<std::string> tries;
  bool unavailable = false;
  int alive = 0;
};

TEST(WriteLocksTest, TakesEachLockOnceWaitsForABusyOneGivesUpAfterTheTimeoutOrGoesWithout) {
  ContendedFileSystem fs;
  std::ostringstream messages;
  WriteLocks locks(fs, messages, std::chrono::milliseconds(200));
  std::string error;

  // A file locked again, under another case, is the lock already held.
  ASSERT_TRUE(locks.Lock("C:\\ws\\App.kbp", &error));
  ASSERT_TRUE(locks.Lock("c:\\WS\\app.KBP", &error));
  EXPECT_EQ(fs.tries.size(), 1u);
  EXPECT_EQ(fs.alive, 1);
  EXPECT_EQ(messages.str(), "");

  // Busy for a few tries: one waiting line, then the lock.
  fs.busy_tries["C:\\ws\\Lib.kbp.lock"] = 3;
  ASSERT_TRUE(locks.Lock("C:\\ws\\Lib.kbp", &error));
  EXPECT_EQ(messages.str(), "zelvan: waiting for another zelvan on Lib.kbp\n");
  EXPECT_EQ(fs.alive, 2);

  // Busy for the whole timeout: a reason, still one waiting line, nothing held.
  messages.str("");
  fs.busy_tries["C:\\ws\\Ws.kws.lock"] = -1;
  EXPECT_FALSE(locks.Lock("C:\\ws\\Ws.kws", &error));
  EXPECT_EQ(error, "another zelvan is still working on C:\\ws\\Ws.kws; nothing was changed");
  EXPECT_EQ(messages.str(), "zelvan: waiting for another zelvan on Ws.kws\n");
  EXPECT_EQ(fs.alive, 2);

  locks.ReleaseAll();
  EXPECT_EQ(fs.alive, 0);

  // Where no lock file can be made the file is used without a lock; nothing
  // is held, so the next command asks again.
  fs.unavailable = true;
  fs.tries.clear();
  messages.str("");
  EXPECT_TRUE(locks.Lock("C:\\ro\\App.kbp", &error));
  EXPECT_TRUE(locks.Lock("C:\\ro\\App.kbp", &error));
  EXPECT_EQ(fs.tries.size(), 2u);
  EXPECT_EQ(fs.alive, 0);
  EXPECT_EQ(messages.str(), "");
}

TEST(WriteLocksTest, TimeoutComesFromTheEnvironmentWhenItIsANumberOfSeconds) {
  const struct {
    const char* value;  // nullptr: not set
    int64_t milliseconds;
  } cases[] = {{nullptr, 60000}, {"", 60000},   {"2.5", 2500}, {"0", 0},
               {"-1", 60000},    {"5s", 60000}, {"1e7", 60000}};
  for (const auto& c : cases) {
    testing::FakeSystemServices system;
    if (c.value != nullptr) system.env["ZELVAN_LOCK_TIMEOUT"] = c.value;
    EXPECT_EQ(WriteLocks::TimeoutFrom(system).count(), c.milliseconds)
        << (c.value != nullptr ? c.value : "(not set)");
  }
}

}  // namespace
}  // namespace zelvan
