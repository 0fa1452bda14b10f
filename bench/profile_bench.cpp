// Reading values from a 5 MB profile file: 10,000 reads through
// ReadProfileString (the private-profile cache, with its stat check on every
// call) against the same reads from a loaded ProfileData; and a batch of
// 1,000 writes flushed once. The file lives in the host's temporary folder.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/private_profile.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "storage/profile_functions.h"
#include "tests/support/memory_file_system.h"

namespace {

using zelvan::PrivateProfile;
using zelvan::ProfileData;

constexpr int kSections = 2000;
constexpr int kKeysPerSection = 60;
constexpr int kReads = 10000;
constexpr int kWrites = 1000;

std::string SectionName(int i) {
  return "src\\module" + std::to_string(i) + ".c";
}
std::string KeyName(int i) {
  return "Option" + std::to_string(i);
}

// About 5 MB: 2,000 sections of 60 keys.
const std::string& ProfileText() {
  static const std::string text = [] {
    std::string s;
    for (int i = 0; i < kSections; ++i) {
      s += "[" + SectionName(i) + "]\r\n";
      for (int k = 0; k < kKeysPerSection; ++k) {
        s += KeyName(k) + "=-I..\\include -DLEVEL=" + std::to_string(i * k) + " -O2\r\n";
      }
    }
    return s;
  }();
  return text;
}

// The same (section, key) pairs for every reader, spread over the file.
const std::vector<std::pair<std::string, std::string>>& ReadSet() {
  static const auto reads = [] {
    std::vector<std::pair<std::string, std::string>> out;
    uint32_t seed = 12345;
    for (int i = 0; i < kReads; ++i) {
      seed = seed * 1103515245u + 12345u;
      int section = static_cast<int>((seed >> 8) % kSections);
      int key = static_cast<int>((seed >> 20) % kKeysPerSection);
      out.emplace_back(SectionName(section), KeyName(key));
    }
    return out;
  }();
  return reads;
}

// The host platform and the file on disk, removed at exit.
struct HostFile {
  std::unique_ptr<zelvan::HostPlatform> host = zelvan::HostPlatform::Create(nullptr);
  std::string path;

  HostFile() {
    zelvan::Platform& platform = host->platform();
    std::string temp = platform.system->GetEnv("TMPDIR").value_or("/tmp");
    if (temp.empty()) temp = "/tmp";
    std::string dir = platform.fs->FromHostPath(temp);
    zelvan::MakeUniqueName(*platform.fs, zelvan::AppendLastSlash(dir) + "zelvan_bench_XXXXXX",
                           &path);
    Reset();
  }
  ~HostFile() { host->platform().fs->DeleteFile(path); }
  void Reset() { zelvan::WriteFileAtomic(*host->platform().fs, path, ProfileText()); }
  zelvan::FileSystem& fs() { return *host->platform().fs; }
};

HostFile& File() {
  static HostFile file;
  return file;
}

void CountReads(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kReads);
}

void BM_ReadProfileString_Host(benchmark::State& state) {
  HostFile& file = File();
  PrivateProfile profile(file.fs());
  std::string value;
  zelvan::ReadProfileString(profile, "x", "y", &value, file.path);  // the cache is warm
  for (auto _ : state) {
    for (const auto& [section, key] : ReadSet()) {
      zelvan::ReadProfileString(profile, section, key, &value, file.path);
      benchmark::DoNotOptimize(value);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_ReadProfileString_Host)->Unit(benchmark::kMillisecond);

void BM_ProfileDataGetValue(benchmark::State& state) {
  ProfileData data;
  data.Parse(ProfileText());
  std::string value;
  for (auto _ : state) {
    for (const auto& [section, key] : ReadSet()) {
      data.GetValue(section, key, &value);
      benchmark::DoNotOptimize(value);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_ProfileDataGetValue)->Unit(benchmark::kMillisecond);

// The whole job from a cold start: the first read parses the file.
void BM_ReadProfileString_HostCold(benchmark::State& state) {
  HostFile& file = File();
  std::string value;
  for (auto _ : state) {
    PrivateProfile profile(file.fs());
    for (const auto& [section, key] : ReadSet()) {
      zelvan::ReadProfileString(profile, section, key, &value, file.path);
      benchmark::DoNotOptimize(value);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_ReadProfileString_HostCold)->Unit(benchmark::kMillisecond);

void BM_ProfileDataLoadAndGetValue_Host(benchmark::State& state) {
  HostFile& file = File();
  std::string value;
  for (auto _ : state) {
    ProfileData data;
    data.Load(file.fs(), file.path);
    for (const auto& [section, key] : ReadSet()) {
      data.GetValue(section, key, &value);
      benchmark::DoNotOptimize(value);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_ProfileDataLoadAndGetValue_Host)->Unit(benchmark::kMillisecond);

// The floor of the direct reads: the stat check every call makes.
void BM_FileSystemStat_Host(benchmark::State& state) {
  HostFile& file = File();
  zelvan::FileStatus status;
  for (auto _ : state) {
    for (int i = 0; i < kReads; ++i) {
      file.fs().Stat(file.path, &status);
      benchmark::DoNotOptimize(status);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_FileSystemStat_Host)->Unit(benchmark::kMillisecond);

// The private-profile engine alone: an in-memory file system makes the stat cheap.
void BM_ReadProfileString_Memory(benchmark::State& state) {
  zelvan::testing::MemoryFileSystem fs;
  fs.AddFile("C:\\bench.ini", ProfileText());
  PrivateProfile profile(fs);
  std::string value;
  for (auto _ : state) {
    for (const auto& [section, key] : ReadSet()) {
      zelvan::ReadProfileString(profile, section, key, &value, "C:\\bench.ini");
      benchmark::DoNotOptimize(value);
    }
  }
  CountReads(state);
}
BENCHMARK(BM_ReadProfileString_Memory)->Unit(benchmark::kMillisecond);

// 1,000 writes (new keys and replaced ones) into the 5 MB file, one flush.
void BM_WriteBatchOneFlush_Host(benchmark::State& state) {
  HostFile& file = File();
  int round = 0;
  for (auto _ : state) {
    PrivateProfile profile(file.fs());
    ++round;
    for (int i = 0; i < kWrites; ++i) {
      const auto& [section, key] = ReadSet()[static_cast<size_t>(i)];
      std::string name = i % 2 == 0 ? key : "New" + std::to_string(i);
      profile.WriteString(section, name, "round " + std::to_string(round), file.path);
    }
    if (!profile.Flush(file.path)) state.SkipWithError("flush failed");
  }
  state.SetItemsProcessed(state.iterations() * kWrites);
  file.Reset();
}
BENCHMARK(BM_WriteBatchOneFlush_Host)->Unit(benchmark::kMillisecond);

}  // namespace
