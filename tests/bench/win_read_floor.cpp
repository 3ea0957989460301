// What the INF search can never beat under Wine: every *.inf file of a
// directory opened, read whole through the same 256 KB buffer and closed,
// with no matching at all. Most files hold no match, so the search reads
// them whole too; the gap between this and the search is the matcher's cost.
// usage: win_read_floor.exe DIR [ROUNDS]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRounds = 5;
constexpr DWORD kPieceSize = 256 * 1024;

double ReadAll(const std::vector<std::string>& paths, std::vector<char>& buffer,
               unsigned long long& bytes) {
  const auto start = std::chrono::steady_clock::now();
  bytes = 0;
  for (const std::string& path : paths) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), kPieceSize, &got, nullptr) && got != 0) bytes += got;
    CloseHandle(file);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIR [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : kDefaultRounds;
  std::vector<std::string> paths;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((directory + "\\*.inf").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        paths.push_back(directory + "\\" + found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::vector<char> buffer(kPieceSize);
  double best = 0;
  unsigned long long bytes = 0;
  constexpr DWORD kSettleMs = 1500;  // as the search's rounds: see inf_bench.h
  for (int i = 0; i < rounds; ++i) {
    Sleep(kSettleMs);
    const double took = ReadAll(paths, buffer, bytes);
    if (i == 0 || took < best) best = took;
  }
  std::printf("read floor: %zu INF files, %.1f MB\n", paths.size(), bytes / 1e6);
  std::printf("best   %8.3f s\n", best);
  return 0;
}
