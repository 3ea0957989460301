// The INF line reader and matcher: FindInfFiles over a directory that holds
// the input as two .inf files, searched for the input's first two lines.
// Whatever the buffer boundaries, the result must be that of reading the file
// line by line as text: a line ends at LF, loses one CR before it, ends at its
// first NUL and is compared in upper case.
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kDirectory = "C:\\Windows\\inf";
const char* const kFiles[] = {"C:\\Windows\\inf\\a.inf", "C:\\Windows\\inf\\b.inf"};

bool LineByLineMatches(const std::string& content, const std::string& first,
                       const std::string& second) {
  size_t begin = 0;
  for (;;) {
    const size_t end = content.find('\n', begin);
    std::string line =
        content.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = line.substr(0, line.find('\0'));
    line = text::Upper(line);
    if (line.find(first) != std::string::npos && line.find(second) != std::string::npos) {
      return true;
    }
    if (end == std::string::npos) return false;
    begin = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string rest = fuzz::AsText(data, size);
  std::string first = fuzz::TakeLine(rest);
  std::string second = fuzz::TakeLine(rest);
  const std::string content = rest;

  sim::SimWindows windows;
  for (const char* file : kFiles) windows.AddFileBytes(file, sim::Bytes(content.begin(), content.end()));
  CDeviceService engine(windows.platform());
  FileList found{"C:\\stale.inf"};
  const std::string firstGiven = first;
  const std::string secondGiven = second;
  const bool ran = engine.FindInfFiles(kDirectory, &found, first, second, false);

  if (firstGiven.empty() && secondGiven.empty()) {
    FUZZ_CHECK(!ran, "two empty texts are refused");
    FUZZ_CHECK(found.size() == 1, "a refused search leaves the list alone");
    return 0;
  }
  FUZZ_CHECK(ran, "the search runs");
  FUZZ_CHECK(first == text::Upper(firstGiven) && second == text::Upper(secondGiven),
             "the caller's texts are upper-cased");
  const bool expected = LineByLineMatches(content, first, second);
  const FileList all(std::begin(kFiles), std::end(kFiles));
  FUZZ_CHECK(found == (expected ? all : FileList{}), "found exactly as a line-by-line read");
  return 0;
}
