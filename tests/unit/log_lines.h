#pragma once
// The program's log read back in tests: its time-stamped messages.
#include <string>
#include <vector>

#include "tests/sim/sim_windows.h"

namespace testlog {

// "--> h.m.s <--  text" CR LF gives "text"; lines without a time stamp (the
// blank line of each start) are left out.
inline std::vector<std::string> Messages(const sim::SimWindows& sim, const std::string& path) {
  static const std::string kOpen = "--> ";
  static const std::string kClose = " <--  ";
  const std::string content = sim.ReadFile(path).value_or("");
  std::vector<std::string> messages;
  for (size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = content.substr(start, end - start);
    const size_t close = line.find(kClose);
    if (line.compare(0, kOpen.size(), kOpen) == 0 && close != std::string::npos) {
      messages.push_back(line.substr(close + kClose.size()));
    }
  }
  return messages;
}

// Every line, the time stamp taken off those that have one (the blank line
// of each start stays).
inline std::vector<std::string> Lines(const sim::SimWindows& sim, const std::string& path) {
  static const std::string kOpen = "--> ";
  static const std::string kClose = "<--  ";
  const std::string content = sim.ReadFile(path).value_or("");
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    std::string line = content.substr(start, end - start);
    const size_t close = line.find(kClose);
    if (line.compare(0, kOpen.size(), kOpen) == 0 && close != std::string::npos) {
      line.erase(0, close + kClose.size());
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace testlog
