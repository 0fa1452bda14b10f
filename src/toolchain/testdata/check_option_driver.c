/* A driver library for tests: exports "CheckOption" in the argument form
 * chosen by CHECK_OPTION_FORM (0, 1 or 2) and records what it received, for
 * the test to read through "LastCheckOptionCall" while it holds the library
 * loaded itself. It rejects any argument list that holds "-bad" (setting a
 * message the caller must free) and accepts everything else. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef CHECK_OPTION_FORM
#error "CHECK_OPTION_FORM must be 0, 1 or 2"
#endif

#define EXPORT __attribute__((visibility("default")))

struct CheckOptionCall {
  int calls;
  int form;
  int argc;
  char args[16][128]; /* the first 16 arguments, cut to 127 characters */
  int argv_terminated; /* argv[argc] is null */
  int mode_word;       /* form 2: the word before the reserved pointer */
  int reserved_is_null;
  char home[512];
  int message_slot_given;
  unsigned code;
  int flags;           /* forms 1 and 2: the last word */
};

static struct CheckOptionCall last_call;

EXPORT struct CheckOptionCall* LastCheckOptionCall(void) { return &last_call; }

static int Check(char** argv, int argc, void* reserved, const char* home, char** message,
                 unsigned code) {
  int i;
  int reject = 0;
  last_call.calls++;
  last_call.form = CHECK_OPTION_FORM;
  last_call.argc = argc;
  for (i = 0; i < argc && i < 16; ++i) {
    snprintf(last_call.args[i], sizeof last_call.args[i], "%s", argv[i]);
    if (strcmp(argv[i], "-bad") == 0) reject = 1;
  }
  last_call.argv_terminated = argv[argc] == NULL;
  last_call.reserved_is_null = reserved == NULL;
  snprintf(last_call.home, sizeof last_call.home, "%s", home ? home : "");
  last_call.message_slot_given = message != NULL;
  last_call.code = code;
  if (reject && message) {
    *message = (char*)malloc(32);
    if (*message) snprintf(*message, 32, "%s", "option not accepted");
  }
  return reject ? 3 : 0;
}

#if CHECK_OPTION_FORM == 0
EXPORT int CheckOption(char** argv, int argc, void* reserved, const char* home, char** message,
                       unsigned code) {
  last_call.mode_word = -1;
  last_call.flags = -1;
  return Check(argv, argc, reserved, home, message, code);
}
#elif CHECK_OPTION_FORM == 1
EXPORT int CheckOption(char** argv, int argc, void* reserved, const char* home, char** message,
                       unsigned code, int flags) {
  last_call.mode_word = -1;
  last_call.flags = flags;
  return Check(argv, argc, reserved, home, message, code);
}
#else
EXPORT int CheckOption(char** argv, int argc, int mode, void* reserved, const char* home,
                       char** message, unsigned code, int flags) {
  last_call.mode_word = mode;
  last_call.flags = flags;
  return Check(argv, argc, reserved, home, message, code);
}
#endif
