// load_probe.exe NAME...: loads each library by bare name, the way a program
// that trusts the default search would, and prints "NAME=PATH" with the path
// of the copy it got ("NAME=" when none loaded). The planting scenario runs
// it from the program's folder to show that a planted copy there would be
// taken, so that its check on the program itself can fail.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    HMODULE module = LoadLibraryA(argv[i]);
    char path[MAX_PATH] = {};
    if (module != nullptr) GetModuleFileNameA(module, path, MAX_PATH);
    std::printf("%s=%s\n", argv[i], path);
  }
  return 0;
}
