#include "fuzz/edge_counters.h"

// The linker gives the counters' section these bounds. This file is left out
// of the instrumentation (coverage_ignore.txt), which declares the same names
// in each file it instruments and would rename its own after ours.
extern "C" {
extern uint8_t __start___sancov_cntrs[] __attribute__((weak, visibility("hidden")));
extern uint8_t __stop___sancov_cntrs[] __attribute__((weak, visibility("hidden")));
}

namespace zelvan::fuzzing {

uint8_t* EdgeCountersBegin() {
  return __start___sancov_cntrs;
}
uint8_t* EdgeCountersEnd() {
  return __stop___sancov_cntrs;
}

}  // namespace zelvan::fuzzing
