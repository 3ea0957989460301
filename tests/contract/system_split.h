#pragma once
// A command line split by the system's own parser: what every program on
// Windows receives as its arguments. The contract children read their orders
// with it, and the command-line tests hold the program's parser to it.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

inline std::vector<std::wstring> SystemSplit(const wchar_t* commandLine) {
  int count = 0;
  LPWSTR* parts = CommandLineToArgvW(commandLine, &count);
  std::vector<std::wstring> out;
  for (int i = 0; parts != nullptr && i < count; ++i) out.emplace_back(parts[i]);
  LocalFree(parts);
  return out;
}
