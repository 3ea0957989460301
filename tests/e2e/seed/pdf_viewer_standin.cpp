// A stand-in PDF viewer for the help scenarios: the prefix associates .pdf
// documents with it, and it only records how the shell started it. It writes
// "opened.txt" next to itself: the whole command line on the first line, the
// first argument (the document) on the second.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kRecordName[] = "opened.txt";

std::string OwnDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string module(path, length < MAX_PATH ? length : 0);
  const size_t separator = module.rfind('\\');
  return separator == std::string::npos ? std::string() : module.substr(0, separator + 1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string record = OwnDirectory() + kRecordName;
  FILE* out = std::fopen(record.c_str(), "ab");
  if (out == nullptr) return EXIT_FAILURE;
  std::fprintf(out, "%s\r\n%s\r\n", GetCommandLineA(), argc > 1 ? argv[1] : "");
  std::fclose(out);
  return EXIT_SUCCESS;
}
