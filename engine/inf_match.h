#pragma once
// The INF content matcher: does one line of an INF file hold both search
// texts? A free-standing piece over bytes, so that it can be fed a whole file
// at once or in reads of any size and give the same answer.
//
// Lines are what a text-mode read returns: they end at LF, lose one CR before
// it and end as strings at their first NUL. Text after a semicolon outside
// double quotes is a comment and never matches. Letter case is ignored
// through the code page's own upper-casing. A file that starts with a UTF-16
// byte-order mark (either order) is read as UTF-16 text under the same rules.
// In a double-byte code page, matches and bounds count only at character
// boundaries.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

enum class InfTextKind : uint8_t {
  // Found wherever it stands, also inside a longer token.
  Part,
  // Found only where it stands whole: at the line's start or end, or next to
  // a character that separates ids in an INF file.
  WholeId,
};

struct InfSearchText {
  std::string text;  // empty: every line holds it
  InfTextKind kind = InfTextKind::Part;
};

// Why a hardware id cannot name one product's INF files, or nullptr when it
// can: too short or too general an id would select other products' files.
const char* UnsearchableHardwareIdReason(const std::string& hardwareId);

// The two texts prepared once for a search, in 8-bit and UTF-16 form.
class InfPattern {
 public:
  InfPattern(const InfSearchText& first, const InfSearchText& second,
             const text::CodePageFacts& codePage);

  struct Needle {
    std::vector<uint32_t> chars;  // one entry per character, upper case
    std::vector<uint32_t> fallback;
    InfTextKind kind = InfTextKind::Part;
  };
  const text::CodePageFacts& codePage() const { return codePage_; }
  const Needle& ansi(size_t i) const { return ansi_[i]; }
  const Needle& wide(size_t i) const { return wide_[i]; }
  // The longer 8-bit text as single bytes in upper case, for finding the
  // lines worth reading closely; empty when it cannot be used so.
  const std::string& probe() const { return probe_; }
  // The same for UTF-16 text: the longer text's upper-cased units, and how
  // far a search may move on after a unit.
  const std::vector<uint32_t>& wideProbe() const { return wideProbe_; }
  size_t WideShift(uint32_t unit) const;
  static constexpr size_t npos = static_cast<size_t>(-1);
  // The first place where the probe may stand in the bytes, or npos.
  size_t FindProbe(const char* data, size_t size) const;

 private:
  const text::CodePageFacts& codePage_;
  std::array<Needle, 2> ansi_;
  std::array<Needle, 2> wide_;
  std::string probe_;
  std::array<unsigned char, 256> fold_{};
  std::array<size_t, 256> skip_{};
  std::vector<uint32_t> wideProbe_;
  std::array<size_t, 256> wideSkip_{};
};

// Reads one file's content in pieces of any size; memory stays that of one
// buffer whatever the file's size or line length.
class InfContentMatcher {
 public:
  static constexpr size_t kDefaultBufferSize = 256 * 1024;

  explicit InfContentMatcher(const InfPattern& pattern,
                             size_t bufferSize = kDefaultBufferSize);

  void Reset();
  // Where the next read goes (never empty), and how much of it was filled.
  // Commit returns true once a line has matched; further data is not needed.
  char* Space();
  size_t SpaceSize() const;
  bool Commit(size_t count);
  // Takes the content from elsewhere (copied into the buffer piece by piece).
  bool Feed(std::string_view bytes);
  // The end of the file: true when some line held both texts.
  bool Finish();

 private:
  enum class Encoding : uint8_t { Unknown, Ansi, Utf16Le, Utf16Be };

  struct TextState {
    const InfPattern::Needle* needle = nullptr;
    size_t matched = 0;
    bool found = false;
    bool awaitingEnd = false;  // a whole match waits for its right bound
    std::vector<uint8_t> separatorBefore;  // ring over the last chars
  };

  bool Process(bool fileEnds);
  bool ProcessAnsi(bool fileEnds);
  bool ProcessWide(bool fileEnds);
  // Complete lines of 8-bit text (the last one may lack its line end).
  bool AnsiRegion(const char* data, size_t size);
  void AnsiLinePiece(const char* data, size_t size);
  uint32_t WideAt(size_t index) const;
  size_t FindWideLineEnd(size_t from, size_t to) const;
  void WideLinePiece(size_t from, size_t to);
  bool WideRegion(size_t from, size_t to);
  void KeepWideFrom(size_t unit);
  void Unit(uint32_t raw, uint32_t upper);
  void FlushReturn();
  void StartLine();
  void EndOfText();
  bool EndLine();
  void Char(uint32_t c, bool separator);
  void Advance(TextState& state, uint32_t c, bool separator);
  bool Both() const { return states_[0].found && states_[1].found; }

  const InfPattern& pattern_;
  std::vector<char> buffer_;
  size_t filled_ = 0;
  Encoding encoding_ = Encoding::Unknown;
  bool matched_ = false;
  // The line being read when it did not fit the buffer (or a UTF-16 line).
  bool inLine_ = false;
  bool lineOver_ = false;  // a comment or NUL hides the rest of the line
  bool quoted_ = false;
  bool pendingReturn_ = false;
  int pendingLead_ = -1;
  size_t position_ = 0;  // characters of the current line
  std::array<TextState, 2> states_;
};

// The whole content at once: what the engine's reads of a file amount to.
bool InfContentMatches(const InfPattern& pattern, std::string_view content);
