// Clang's thread-safety analysis (-Wthread-safety): the state that threads
// share names the mutex that guards it, and the compiler checks that every
// use holds it. Other compilers see plain code.
//
//   Mutex mutex_;
//   size_t done_ GUARDED_BY(mutex_) = 0;
//   ...
//   MutexLock lock(mutex_);
//   ++done_;
#pragma once

#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define ZELVAN_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZELVAN_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) ZELVAN_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY ZELVAN_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) ZELVAN_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) ZELVAN_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) ZELVAN_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) ZELVAN_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) ZELVAN_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) ZELVAN_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

namespace zelvan {

// std::mutex, as a capability the analysis knows.
class CAPABILITY("mutex") Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void Lock() ACQUIRE() { mutex_.lock(); }
  void Unlock() RELEASE() { mutex_.unlock(); }

 private:
  friend class CondVar;
  std::mutex mutex_;
};

// Holds a Mutex for its scope.
class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() RELEASE() { mutex_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

// A condition variable for a Mutex that the waiter holds.
class CondVar {
 public:
  // Lets go of `mutex` until woken (or woken spuriously), then holds it
  // again: callers wait in a loop on their condition.
  void Wait(Mutex& mutex) REQUIRES(mutex) {
    std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
    condition_.wait(lock);
    lock.release();
  }
  void NotifyOne() { condition_.notify_one(); }
  void NotifyAll() { condition_.notify_all(); }

 private:
  std::condition_variable condition_;
};

}  // namespace zelvan
