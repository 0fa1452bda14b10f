// Reading the memory block of a link command file with many areas: distinct
// names, one name for many areas, and the nested RAM lines that merge.
#include <benchmark/benchmark.h>

#include <string>

#include "linkmap/memory_map_reader.h"

namespace {

std::string MemoryBlock(int areas) {
  std::string text = "MEMORY\n{\n";
  for (int i = 0; i < areas; ++i) {
    std::string n = std::to_string(i);
    switch (i % 3) {
      case 0:
        text += "  area" + n + " (rx) : ORIGIN = 0x" + n + ", LENGTH = 0x10\n";
        break;
      case 1:
        text += "  IO" + n + " : org=" + n + "0, len=8\n";
        break;
      default:
        text += "  data.l : origin=0x" + n + "00 length=0x80\n";
        break;
    }
  }
  return text + "}\n";
}

void BM_ReadMemoryMapText(benchmark::State& state) {
  const std::string text = MemoryBlock(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    zelvan::MemoryAreaList areas;
    zelvan::ReadMemoryMapText(text, &areas);
    benchmark::DoNotOptimize(areas);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadMemoryMapText)->Arg(40000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
