// The INF content matcher: the input's first byte chooses the kinds of the
// two texts and the size of the reader's pieces, its next two lines are the
// texts, the rest is the file. Whatever the pieces, the answer must be that
// of reading the file line by line as text (a line ends at LF, loses one CR
// before it, ends at its first NUL and at a semicolon outside quotes, and is
// compared in upper case; a whole id must stand between separators); the
// same bytes as UTF-16 units must give the same answer; a code page 932 read
// must not depend on the pieces either; and FindInfFiles must find the file
// exactly then.
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "engine/inf_match.h"
#include "platform/text.h"
#include "tests/common/utf16_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kDirectory = "C:\\Windows\\inf";
constexpr const char* kFile = "C:\\Windows\\inf\\a.inf";

bool IsSeparator(char c) {
  return std::string(",=;\"% \t\v\f\r").find(c) != std::string::npos;
}

bool LineHolds(const std::string& line, const std::string& text, InfTextKind kind) {
  if (text.empty()) return true;
  for (size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) {
    if (kind == InfTextKind::Part) return true;
    const size_t end = at + text.size();
    if ((at == 0 || IsSeparator(line[at - 1])) && (end == line.size() || IsSeparator(line[end]))) {
      return true;
    }
  }
  return false;
}

bool LineByLineMatches(const std::string& content, const std::string& first, InfTextKind firstKind,
                       const std::string& second, InfTextKind secondKind) {
  size_t begin = 0;
  for (;;) {
    const size_t end = content.find('\n', begin);
    std::string line =
        content.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = line.substr(0, line.find('\0'));
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == ';' && !quoted) {
        line.resize(i);
        break;
      }
    }
    line = text::Upper(line);
    if (LineHolds(line, first, firstKind) && LineHolds(line, second, secondKind)) return true;
    if (end == std::string::npos) return false;
    begin = end + 1;
  }
}

bool InPieces(const InfPattern& pattern, const std::string& content, size_t pieceSize) {
  InfContentMatcher matcher(pattern, pieceSize);
  if (matcher.Feed(content)) return true;
  return matcher.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  std::string rest = fuzz::AsText(data + 1, size - 1);
  std::string first = text::Upper(fuzz::TakeLine(rest));
  std::string second = text::Upper(fuzz::TakeLine(rest));
  const std::string content = rest;
  const InfTextKind firstKind = (choice & 1) != 0 ? InfTextKind::WholeId : InfTextKind::Part;
  const InfTextKind secondKind = (choice & 2) != 0 ? InfTextKind::WholeId : InfTextKind::Part;
  const size_t pieceSize = 3 + (choice >> 2);
  if (first.empty() && second.empty()) return 0;

  const text::CodePageFacts ascii = text::CodePageFacts::Ascii();
  const InfPattern pattern({first, firstKind}, {second, secondKind}, ascii);
  const bool whole = InfContentMatches(pattern, content);
  FUZZ_CHECK(whole == InPieces(pattern, content, pieceSize), "the same in pieces");
  const bool startsLikeUtf16 = content.size() >= 2 &&
                               ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                (content[0] == '\xFE' && content[1] == '\xFF'));
  if (!startsLikeUtf16) {
    FUZZ_CHECK(whole == LineByLineMatches(content, first, firstKind, second, secondKind),
               "found exactly as a line-by-line read");
    const std::string wide = testtext::Utf16WithMark(content);
    FUZZ_CHECK(whole == InfContentMatches(pattern, wide), "UTF-16 units as the bytes");
    FUZZ_CHECK(whole == InPieces(pattern, wide, pieceSize), "UTF-16 the same in pieces");
  }

  text::CodePageFacts shiftJis = text::CodePageFacts::Ascii();
  for (unsigned b = 0x81; b <= 0x9F; ++b) shiftJis.leadByte[b] = true;
  for (unsigned b = 0xE0; b <= 0xFC; ++b) shiftJis.leadByte[b] = true;
  const InfPattern dbcs({first, firstKind}, {second, secondKind}, shiftJis);
  FUZZ_CHECK(InfContentMatches(dbcs, content) == InPieces(dbcs, content, pieceSize),
             "code page 932 the same in pieces");

  sim::SimWindows windows;
  windows.AddFileBytes(kFile, sim::Bytes(content.begin(), content.end()));
  CDeviceService engine(windows.platform());
  FileList found{"C:\\stale.inf"};
  const bool ran = engine.FindInfFiles(kDirectory, &found, first, second, false, firstKind,
                                       secondKind);
  FUZZ_CHECK(ran, "the search runs");
  FUZZ_CHECK(found == (whole ? FileList{kFile} : FileList{}), "FindInfFiles finds as the matcher");
  return 0;
}
