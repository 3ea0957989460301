// FindInfFiles over a copy of a real directory held in the simulation.
// usage: host_inf_bench DIR [FIRST_TEXT [SECOND_TEXT [ROUNDS]]]
// The host build carries the sanitizers, so its figures are for comparing
// versions of the search with each other, not with the Windows build.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/bench/inf_bench.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kSimDirectory = "C:\\Bench\\inf";
constexpr const char* kDefaultText = "VID_0E7B&PID_0001";

void LoadDirectory(const std::filesystem::path& from, sim::SimWindows& sim) {
  sim.AddDir(kSimDirectory);
  for (const auto& entry : std::filesystem::directory_iterator(from)) {
    const std::string target = std::string(kSimDirectory) + "\\" + entry.path().filename().string();
    if (entry.is_directory()) {
      sim.AddDir(target);
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    sim::Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    sim.AddFileBytes(target, content);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIR [FIRST_TEXT [SECOND_TEXT [ROUNDS]]]\n", argv[0]);
    return 2;
  }
  sim::SimWindows sim;
  LoadDirectory(argv[1], sim);
  const std::string first = argc > 2 ? argv[2] : kDefaultText;
  const std::string second = argc > 3 ? argv[3] : "";
  const int rounds = argc > 4 ? std::stoi(argv[4]) : bench::kDefaultRounds;
  return bench::RunInfBench(sim.platform(), kSimDirectory, first, second, rounds);
}
