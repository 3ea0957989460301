#pragma once
// Times CDeviceService::FindInfFiles over one directory, a few rounds, and
// prints the best and the median round. Shared by the host program (over the
// simulation) and the Windows one (over the real file functions).
#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "support/dir_read.h"

namespace bench {

inline constexpr int kDefaultRounds = 5;
inline constexpr double kBytesPerMegabyte = 1e6;

struct Round {
  double seconds = 0;
  size_t found = 0;
};

constexpr std::chrono::milliseconds kSettle{1500};

// Prints each file the first round found as "found: NAME" so that a script
// can compare the finds with its own.
inline int RunInfBench(Platform& platform, const std::string& directory,
                       const std::string& firstText, const std::string& secondText,
                       int rounds, InfTextKind firstKind = InfTextKind::Part) {
  CSADirRead reader(platform.files);
  std::vector<const DirEntry*> infs;
  reader.ScanFiles(directory, "*.inf", infs, CSADirRead::kSortNone, false);
  uint64_t bytes = 0;
  for (const DirEntry* inf : infs) bytes += inf->size;
  if (infs.empty()) {
    std::fprintf(stderr, "no INF files in %s\n", directory.c_str());
    return 1;
  }

  CDeviceService engine(platform);
  std::vector<Round> results;
  for (int i = 0; i < rounds; ++i) {
    // Under Wine, a burst of 1500 opens leaves the next burst about five
    // times slower for a second or so, whatever the program does (measured
    // with bare CreateFile/ReadFile/CloseHandle loops): rounds start after a
    // pause, so each is a search as the program runs it, once.
    std::this_thread::sleep_for(kSettle);
    std::string first = firstText, second = secondText;
    FileList found;
    const auto start = std::chrono::steady_clock::now();
    const bool ran =
        engine.FindInfFiles(directory, &found, first, second, false, firstKind);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ran) {
      std::fprintf(stderr, "the search was refused\n");
      return 1;
    }
    results.push_back({took.count(), found.size()});
    if (i == 0) {
      for (const std::string& path : found) {
        std::printf("found: %s\n", path.substr(path.find_last_of('\\') + 1).c_str());
      }
    }
  }
  std::sort(results.begin(), results.end(),
            [](const Round& a, const Round& b) { return a.seconds < b.seconds; });
  const double megabytes = static_cast<double>(bytes) / kBytesPerMegabyte;
  const auto print = [&](const char* label, const Round& r) {
    std::printf("%-6s %8.3f s  %9.0f files/s  %8.1f MB/s\n", label, r.seconds,
                static_cast<double>(infs.size()) / r.seconds, megabytes / r.seconds);
  };
  std::printf("FindInfFiles: %zu INF files, %.1f MB, %zu found, %d rounds\n", infs.size(),
              megabytes, results.front().found, rounds);
  print("best", results.front());
  print("median", results[results.size() / 2]);
  return 0;
}

}  // namespace bench
