// Throughput of the C scanner over a generated source of about 1 MB, from
// memory and from file bytes, as raw words and through the parse loop.
#include <benchmark/benchmark.h>

#include <string>

#include "scanner/c_file_scanner.h"
#include "scanner/c_text_scanner.h"

namespace {

const std::string& Source() {
  static const std::string text = [] {
    std::string s;
    for (int i = 0; s.size() < (1u << 20); ++i) {
      s += "/* function " + std::to_string(i) + " */\r\n";
      s += "#ifdef FEATURE_" + std::to_string(i % 7) + "\r\n";
      s += "static unsigned long f" + std::to_string(i) + "(char *p, int n)\r\n{\r\n";
      s += "  int a[10] = {0}; const char* t = \"a;{b}\"; // note\r\n";
      s += "  return n & 0xFF;\r\n}\r\n#else\r\nint g" + std::to_string(i) + ";\r\n#endif\r\n";
    }
    return s;
  }();
  return text;
}

void BM_NextTokenString(benchmark::State& state) {
  for (auto _ : state) {
    zelvan::CTextScanner source(Source());
    std::string word;
    size_t words = 0;
    while (source.NextToken(&word))
      ++words;
    benchmark::DoNotOptimize(words);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Source().size()));
}
BENCHMARK(BM_NextTokenString);

void BM_ParseTokensFile(benchmark::State& state) {
  for (auto _ : state) {
    zelvan::CFileScanner source;
    uint32_t last = 0;
    bool ok = source.ParseBytes(
        Source(), "bench.c",
        [&](const std::string&, uint32_t position, uint32_t) { last = position; });
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(last);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Source().size()));
}
BENCHMARK(BM_ParseTokensFile);

}  // namespace
