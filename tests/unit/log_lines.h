#pragma once
// The program's log read back in tests: its time-stamped messages.
#include <string>
#include <vector>

#include "tests/sim/sim_windows.h"

namespace testlog {

// Each line of the log as `visit(line, stamped, text)`: `text` is what
// follows the time stamp of a "--> h.m.s <--  text" line.
template <typename Visit>
void EachLine(const sim::SimWindows& sim, const std::string& path, Visit visit) {
  static const std::string kOpen = "--> ";
  static const std::string kClose = " <--  ";
  const std::string content = sim.ReadFile(path).value_or("");
  for (size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = content.substr(start, end - start);
    const size_t close = line.find(kClose);
    const bool stamped = line.compare(0, kOpen.size(), kOpen) == 0 && close != std::string::npos;
    visit(line, stamped, stamped ? line.substr(close + kClose.size()) : std::string());
  }
}

// The time-stamped messages; lines without a time stamp (the blank line of
// each start) are left out.
inline std::vector<std::string> Messages(const sim::SimWindows& sim, const std::string& path) {
  std::vector<std::string> messages;
  EachLine(sim, path, [&](const std::string&, bool stamped, const std::string& text) {
    if (stamped) messages.push_back(text);
  });
  return messages;
}

// Every line, the time stamp taken off those that have one (the blank line
// of each start stays).
inline std::vector<std::string> Lines(const sim::SimWindows& sim, const std::string& path) {
  std::vector<std::string> lines;
  EachLine(sim, path, [&](const std::string& line, bool stamped, const std::string& text) {
    lines.push_back(stamped ? text : line);
  });
  return lines;
}

}  // namespace testlog
