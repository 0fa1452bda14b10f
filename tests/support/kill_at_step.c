/* Preloaded into zelvan by the kill test: with ZELVAN_KILL_AT=N the process
 * kills itself (SIGKILL) just before its N-th step that changes a folder:
 * creating a file, renaming, making or removing a directory, deleting. Run
 * with N = 1, 2, ... a command is stopped at every point between two of its
 * writes, which random kills reach only by luck.
 *   LD_PRELOAD=libkill_at_step.so ZELVAN_KILL_AT=3 zelvan new Pump ... */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

static atomic_long steps;

static void step(void) {
  static long kill_at = -1;
  if (kill_at < 0) {
    const char* text = getenv("ZELVAN_KILL_AT");
    kill_at = text ? atol(text) : 0;
  }
  if (atomic_fetch_add(&steps, 1) + 1 == kill_at) raise(SIGKILL);
}

#define REAL(name, type) ((type)dlsym(RTLD_NEXT, name))

static int open_with(const char* name, int dir, const char* path, int flags, mode_t mode) {
  if (flags & O_CREAT) step();
  if (dir == -1) return REAL(name, int (*)(const char*, int, mode_t))(path, flags, mode);
  return REAL(name, int (*)(int, const char*, int, mode_t))(dir, path, flags, mode);
}

#define MODE(flags)              \
  mode_t mode = 0;               \
  if ((flags)&O_CREAT) {         \
    va_list args;                \
    va_start(args, flags);       \
    mode = va_arg(args, mode_t); \
    va_end(args);                \
  }

int open(const char* path, int flags, ...) {
  MODE(flags);
  return open_with("open", -1, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
  MODE(flags);
  return open_with("open64", -1, path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
  MODE(flags);
  return open_with("openat", dir, path, flags, mode);
}
int openat64(int dir, const char* path, int flags, ...) {
  MODE(flags);
  return open_with("openat64", dir, path, flags, mode);
}
int rename(const char* from, const char* to) {
  step();
  return REAL("rename", int (*)(const char*, const char*))(from, to);
}
int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  step();
  return REAL("renameat", int (*)(int, const char*, int, const char*))(from_dir, from, to_dir, to);
}
int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  step();
  return REAL("renameat2", int (*)(int, const char*, int, const char*, unsigned))(
      from_dir, from, to_dir, to, flags);
}
int mkdir(const char* path, mode_t mode) {
  step();
  return REAL("mkdir", int (*)(const char*, mode_t))(path, mode);
}
int rmdir(const char* path) {
  step();
  return REAL("rmdir", int (*)(const char*))(path);
}
int unlink(const char* path) {
  step();
  return REAL("unlink", int (*)(const char*))(path);
}
int unlinkat(int dir, const char* path, int flags) {
  step();
  return REAL("unlinkat", int (*)(int, const char*, int))(dir, path, flags);
}
