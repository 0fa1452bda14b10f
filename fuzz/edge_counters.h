// The edge counters of the coverage instrumentation, which libFuzzer reads
// after each input to find what the input reached.
#pragma once

#include <cstdint>

namespace zelvan::fuzzing {

// The bounds of the counters of the whole program; both null in a build
// without the instrumentation.
uint8_t* EdgeCountersBegin();
uint8_t* EdgeCountersEnd();

}  // namespace zelvan::fuzzing
