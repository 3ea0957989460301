#include "engine/inf_match.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kLineFeed = '\n';
constexpr uint32_t kCarriageReturn = '\r';
constexpr uint32_t kStringEnd = 0;
constexpr uint32_t kComment = ';';
constexpr uint32_t kQuote = '"';
constexpr uint32_t kAsciiEnd = 0x80;
// Double-byte characters get values no single byte or UTF-16 unit can have.
constexpr uint32_t kDoubleByteMark = 0x10000;
constexpr unsigned kByteBits = 8;
constexpr uint32_t kLowByte = 0xFF;
constexpr size_t kBomSize = 2;
constexpr unsigned char kBomFF = 0xFF;
constexpr unsigned char kBomFE = 0xFE;

constexpr const char* kValueNotValid = "VALUE_NOT_VALID";
constexpr char kBackslash = '\\';
constexpr size_t kMinimumModelLength = 4;

// The characters that end an id in an INF line: the separators of its
// syntax (commas, equals signs, semicolons, quotes, percent signs) and white
// space. Any other printable character may continue a device id.
bool IsSeparator(uint32_t c) {
  switch (c) {
    case ',': case '=': case ';': case '"': case '%':
    case ' ': case '\t': case '\v': case '\f': case '\r':
      return true;
    default:
      return false;
  }
}

std::vector<uint32_t> Fallback(const std::vector<uint32_t>& chars) {
  std::vector<uint32_t> fallback(chars.size(), 0);
  for (size_t i = 1, border = 0; i < chars.size(); ++i) {
    while (border > 0 && chars[i] != chars[border]) border = fallback[border - 1];
    if (chars[i] == chars[border]) ++border;
    fallback[i] = static_cast<uint32_t>(border);
  }
  return fallback;
}

}  // namespace

const char* UnsearchableHardwareIdReason(const std::string& hardwareId) {
  if (hardwareId.empty()) return "it is empty";
  if (hardwareId == kValueNotValid) return "it could not be read";
  const size_t lastBackslash = hardwareId.rfind(kBackslash);
  if (lastBackslash == std::string::npos) return "it holds no backslash";
  const std::string model = hardwareId.substr(lastBackslash + 1);
  if (model.size() < kMinimumModelLength) {
    return "fewer than 4 characters follow its last backslash";
  }
  if (std::all_of(model.begin(), model.end(),
                  [](char c) { return c >= '0' && c <= '9'; })) {
    return "only digits follow its last backslash";
  }
  return nullptr;
}

InfPattern::InfPattern(const InfSearchText& first, const InfSearchText& second,
                       const text::CodePageFacts& codePage)
    : codePage_(codePage) {
  const InfSearchText* texts[] = {&first, &second};
  for (size_t i = 0; i < ansi_.size(); ++i) {
    const std::string& s = texts[i]->text;
    Needle& ansi = ansi_[i];
    ansi.kind = texts[i]->kind;
    for (size_t j = 0; j < s.size(); ++j) {
      const unsigned char b = static_cast<unsigned char>(s[j]);
      if (codePage.leadByte[b] && j + 1 < s.size()) {
        const unsigned char trail = static_cast<unsigned char>(s[++j]);
        ansi.chars.push_back(kDoubleByteMark | (uint32_t{b} << kByteBits) | trail);
      } else if (codePage.leadByte[b]) {
        ansi.chars.push_back(b);
      } else {
        ansi.chars.push_back(codePage.upper[b]);
      }
    }
    ansi.fallback = Fallback(ansi.chars);

    Needle& wide = wide_[i];
    wide.kind = texts[i]->kind;
    for (const char16_t unit : codePage.widen(s)) {
      wide.chars.push_back(codePage.upper16[unit]);
    }
    wide.fallback = Fallback(wide.chars);
  }

  // Lines without the longer text need no close reading. Its bytes are
  // compared through a folding that is the same on both sides and keeps
  // every real match (the close reading then throws out what folding let in).
  for (size_t b = 0; b < fold_.size(); ++b) {
    fold_[b] = codePage.leadByte[b] ? static_cast<unsigned char>(b) : codePage.upper[b];
  }
  const std::string& longer =
      first.text.size() >= second.text.size() ? first.text : second.text;
  const Needle& longerWide =
      wide_[0].chars.size() >= wide_[1].chars.size() ? wide_[0] : wide_[1];
  wideProbe_ = longerWide.chars;
  wideSkip_.fill(wideProbe_.size());
  for (size_t j = 0; j + 1 < wideProbe_.size(); ++j) {
    wideSkip_[wideProbe_[j] & kLowByte] = wideProbe_.size() - 1 - j;
  }
  for (const char c : longer) probe_.push_back(static_cast<char>(fold_[static_cast<unsigned char>(c)]));
  skip_.fill(probe_.size());
  for (size_t j = 0; j + 1 < probe_.size(); ++j) {
    skip_[static_cast<unsigned char>(probe_[j])] = probe_.size() - 1 - j;
  }
}

size_t InfPattern::WideShift(uint32_t unit) const { return wideSkip_[unit & kLowByte]; }

size_t InfPattern::FindProbe(const char* data, size_t size) const {
  const size_t m = probe_.size();
  if (m == 0 || size < m) return npos;
  const unsigned char* d = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(probe_.data());
  const unsigned char lastWanted = p[m - 1];
  for (size_t i = 0; i + m <= size;) {
    const unsigned char last = fold_[d[i + m - 1]];
    if (last == lastWanted) {
      size_t j = 0;
      while (j + 1 < m && fold_[d[i + j]] == p[j]) ++j;
      if (j + 1 == m) return i;
    }
    i += skip_[last];
  }
  return npos;
}

InfContentMatcher::InfContentMatcher(const InfPattern& pattern, size_t bufferSize)
    : pattern_(pattern), buffer_(std::max(bufferSize, kBomSize + 1)) {
  for (size_t i = 0; i < states_.size(); ++i) {
    states_[i].needle = &pattern_.ansi(i);
  }
  Reset();
}

void InfContentMatcher::Reset() {
  filled_ = 0;
  encoding_ = Encoding::Unknown;
  matched_ = false;
  inLine_ = false;
}

char* InfContentMatcher::Space() { return buffer_.data() + filled_; }

size_t InfContentMatcher::SpaceSize() const { return buffer_.size() - filled_; }

bool InfContentMatcher::Commit(size_t count) {
  filled_ += std::min(count, SpaceSize());
  if (!matched_) matched_ = Process(false);
  return matched_;
}

bool InfContentMatcher::Feed(std::string_view bytes) {
  while (!bytes.empty() && !matched_) {
    const size_t take = std::min(bytes.size(), SpaceSize());
    std::memcpy(Space(), bytes.data(), take);
    bytes.remove_prefix(take);
    (void)Commit(take);
  }
  return matched_;
}

bool InfContentMatcher::Finish() {
  if (!matched_) matched_ = Process(true);
  return matched_;
}

bool InfContentMatcher::Process(bool fileEnds) {
  if (encoding_ == Encoding::Unknown) {
    if (filled_ < kBomSize && !fileEnds) return false;
    const unsigned char b0 = filled_ > 0 ? static_cast<unsigned char>(buffer_[0]) : 0;
    const unsigned char b1 = filled_ > 1 ? static_cast<unsigned char>(buffer_[1]) : 0;
    if (b0 == kBomFF && b1 == kBomFE) {
      encoding_ = Encoding::Utf16Le;
    } else if (b0 == kBomFE && b1 == kBomFF) {
      encoding_ = Encoding::Utf16Be;
    } else {
      encoding_ = Encoding::Ansi;
    }
    if (encoding_ != Encoding::Ansi) {
      for (size_t i = 0; i < states_.size(); ++i) {
        states_[i].needle = &pattern_.wide(i);
      }
      filled_ -= kBomSize;
      std::memmove(buffer_.data(), buffer_.data() + kBomSize, filled_);
    } else {
      for (size_t i = 0; i < states_.size(); ++i) {
        states_[i].needle = &pattern_.ansi(i);
      }
    }
  }
  return encoding_ == Encoding::Ansi ? ProcessAnsi(fileEnds) : ProcessWide(fileEnds);
}

bool InfContentMatcher::ProcessAnsi(bool fileEnds) {
  const char* data = buffer_.data();
  const std::string_view all(data, filled_);
  size_t start = 0;
  if (inLine_) {
    // The rest of a line longer than the buffer.
    const size_t end = all.find(kLineFeed);
    if (end == std::string_view::npos) {
      AnsiLinePiece(data, filled_);
      filled_ = 0;
      return fileEnds && EndLine();
    }
    AnsiLinePiece(data, end);
    if (EndLine()) return true;
    start = end + 1;
  }
  size_t regionEnd = filled_;
  if (!fileEnds) {
    const size_t lastEnd = all.rfind(kLineFeed);
    regionEnd = (lastEnd == std::string_view::npos || lastEnd < start) ? start : lastEnd + 1;
  }
  if (AnsiRegion(data + start, regionEnd - start)) return true;
  const size_t rest = filled_ - regionEnd;
  if (rest == buffer_.size()) {
    StartLine();
    AnsiLinePiece(data, rest);
    filled_ = 0;
    return false;
  }
  std::memmove(buffer_.data(), data + regionEnd, rest);
  filled_ = rest;
  return false;
}

bool InfContentMatcher::AnsiRegion(const char* data, size_t size) {
  const std::string_view region(data, size);
  auto lineAt = [&](size_t begin, size_t end) {
    StartLine();
    AnsiLinePiece(data + begin, end - begin);
    return EndLine();
  };
  if (pattern_.probe().empty()) {
    for (size_t begin = 0; begin < size;) {
      size_t end = region.find(kLineFeed, begin);
      if (end == std::string_view::npos) end = size;
      if (lineAt(begin, end)) return true;
      begin = end + 1;
    }
    return false;
  }
  for (size_t pos = 0; pos < size;) {
    const size_t hit = pattern_.FindProbe(data + pos, size - pos);
    if (hit == InfPattern::npos) return false;
    const size_t at = pos + hit;
    const size_t before = at == pos ? std::string_view::npos
                                    : region.substr(pos, at - pos).rfind(kLineFeed);
    const size_t begin = before == std::string_view::npos ? pos : pos + before + 1;
    size_t end = region.find(kLineFeed, at);
    if (end == std::string_view::npos) end = size;
    if (lineAt(begin, end)) return true;
    pos = end + 1;
  }
  return false;
}

void InfContentMatcher::AnsiLinePiece(const char* data, size_t size) {
  const text::CodePageFacts& codePage = pattern_.codePage();
  for (size_t i = 0; i < size && !lineOver_; ++i) {
    const unsigned char b = static_cast<unsigned char>(data[i]);
    if (pendingLead_ >= 0) {
      const uint32_t lead = static_cast<uint32_t>(pendingLead_);
      pendingLead_ = -1;
      if (b != kStringEnd) {
        Char(kDoubleByteMark | (lead << kByteBits) | b, false);
        continue;
      }
      Char(lead, false);
    }
    if (codePage.leadByte[b]) {
      FlushReturn();
      pendingLead_ = b;
      continue;
    }
    Unit(b, codePage.upper[b]);
  }
}

uint32_t InfContentMatcher::WideAt(size_t index) const {
  const unsigned char* d = reinterpret_cast<const unsigned char*>(buffer_.data()) + 2 * index;
  return encoding_ == Encoding::Utf16Le ? (uint32_t{d[1]} << kByteBits) | d[0]
                                        : (uint32_t{d[0]} << kByteBits) | d[1];
}

size_t InfContentMatcher::FindWideLineEnd(size_t from, size_t to) const {
  for (size_t i = from; i < to; ++i) {
    if (WideAt(i) == static_cast<uint32_t>(kLineFeed)) return i;
  }
  return to;
}

void InfContentMatcher::WideLinePiece(size_t from, size_t to) {
  const std::vector<char16_t>& upper = pattern_.codePage().upper16;
  for (size_t i = from; i < to && !lineOver_; ++i) {
    const uint32_t unit = WideAt(i);
    Unit(unit, upper[unit]);
  }
}

// As ProcessAnsi, over UTF-16 units; an odd last byte waits for its pair (or
// is no character at the end of the file).
bool InfContentMatcher::ProcessWide(bool fileEnds) {
  const size_t units = filled_ / 2;
  size_t start = 0;
  if (inLine_) {
    const size_t end = FindWideLineEnd(0, units);
    WideLinePiece(0, end);
    if (end == units) {
      KeepWideFrom(units);
      return fileEnds && EndLine();
    }
    if (EndLine()) return true;
    start = end + 1;
  }
  size_t regionEnd = units;
  if (!fileEnds) {
    regionEnd = start;
    for (size_t i = units; i > start; --i) {
      if (WideAt(i - 1) == static_cast<uint32_t>(kLineFeed)) {
        regionEnd = i;
        break;
      }
    }
  }
  if (WideRegion(start, regionEnd)) return true;
  if (2 * (units - regionEnd) + kBomSize > buffer_.size()) {
    // A line longer than the buffer is read on without being kept.
    StartLine();
    WideLinePiece(regionEnd, units);
    KeepWideFrom(units);
    return false;
  }
  KeepWideFrom(regionEnd);
  return false;
}

void InfContentMatcher::KeepWideFrom(size_t unit) {
  const size_t from = 2 * unit;
  const size_t rest = filled_ - from;
  std::memmove(buffer_.data(), buffer_.data() + from, rest);
  filled_ = rest;
}

bool InfContentMatcher::WideRegion(size_t from, size_t to) {
  auto lineAt = [&](size_t begin, size_t end) {
    StartLine();
    WideLinePiece(begin, end);
    return EndLine();
  };
  const std::vector<uint32_t>& probe = pattern_.wideProbe();
  if (probe.empty()) {
    for (size_t begin = from; begin < to;) {
      const size_t end = FindWideLineEnd(begin, to);
      if (lineAt(begin, end)) return true;
      begin = end + 1;
    }
    return false;
  }
  // Horspool over upper-cased units, the shift table indexed by the low
  // byte (collisions keep the smaller shift, which is always safe).
  const std::vector<char16_t>& upper = pattern_.codePage().upper16;
  const size_t m = probe.size();
  size_t lineBegin = from;
  for (size_t i = from; i + m <= to;) {
    const uint32_t last = upper[WideAt(i + m - 1)];
    if (last == probe[m - 1]) {
      size_t j = 0;
      while (j + 1 < m && upper[WideAt(i + j)] == probe[j]) ++j;
      if (j + 1 == m) {
        size_t begin = i;
        while (begin > lineBegin && WideAt(begin - 1) != static_cast<uint32_t>(kLineFeed)) --begin;
        const size_t end = FindWideLineEnd(i, to);
        if (lineAt(begin, end)) return true;
        lineBegin = end + 1;
        i = lineBegin;
        continue;
      }
    }
    i += pattern_.WideShift(last);
  }
  return false;
}

void InfContentMatcher::Unit(uint32_t raw, uint32_t upper) {
  FlushReturn();
  if (raw == kCarriageReturn) {
    // Dropped when the line ends right after it.
    pendingReturn_ = true;
    return;
  }
  if (raw == kStringEnd || (raw == kComment && !quoted_)) {
    // The line as the search sees it ends here.
    EndOfText();
    return;
  }
  if (raw == kQuote) quoted_ = !quoted_;
  Char(upper, raw < kAsciiEnd && IsSeparator(raw));
}

void InfContentMatcher::FlushReturn() {
  if (!pendingReturn_) return;
  pendingReturn_ = false;
  Char(kCarriageReturn, true);
}

void InfContentMatcher::StartLine() {
  inLine_ = true;
  lineOver_ = false;
  quoted_ = false;
  pendingReturn_ = false;
  pendingLead_ = -1;
  position_ = 0;
  for (TextState& state : states_) {
    state.matched = 0;
    state.found = state.needle->chars.empty();
    state.awaitingEnd = false;
    state.separatorBefore.assign(state.needle->chars.size() + 1, 0);
  }
}

void InfContentMatcher::EndOfText() {
  if (lineOver_) return;
  if (pendingLead_ >= 0) {
    const uint32_t lead = static_cast<uint32_t>(pendingLead_);
    pendingLead_ = -1;
    Char(lead, false);
  }
  lineOver_ = true;
  for (TextState& state : states_) {
    if (state.awaitingEnd) state.found = true;
    state.awaitingEnd = false;
  }
}

bool InfContentMatcher::EndLine() {
  pendingReturn_ = false;
  EndOfText();
  inLine_ = false;
  return Both();
}

void InfContentMatcher::Char(uint32_t c, bool separator) {
  for (TextState& state : states_) Advance(state, c, separator);
  ++position_;
}

void InfContentMatcher::Advance(TextState& state, uint32_t c, bool separator) {
  if (state.found) return;
  if (state.awaitingEnd) {
    state.awaitingEnd = false;
    if (separator) {
      state.found = true;
      return;
    }
  }
  const std::vector<uint32_t>& chars = state.needle->chars;
  const size_t length = chars.size();
  const size_t ring = length + 1;
  state.separatorBefore[position_ % ring] = separator ? 1 : 0;
  size_t matched = state.matched;
  while (matched > 0 && chars[matched] != c) matched = state.needle->fallback[matched - 1];
  if (chars[matched] == c) ++matched;
  if (matched == length) {
    if (state.needle->kind == InfTextKind::Part) {
      state.found = true;
      return;
    }
    // position_ - length is the character before the match, still in the ring.
    const bool boundedBefore =
        position_ + 1 == length || state.separatorBefore[(position_ - length) % ring] != 0;
    if (boundedBefore) state.awaitingEnd = true;
    matched = state.needle->fallback[length - 1];
  }
  state.matched = matched;
}

bool InfContentMatches(const InfPattern& pattern, std::string_view content) {
  InfContentMatcher matcher(pattern, content.size() + 1);
  if (matcher.Feed(content)) return true;
  return matcher.Finish();
}
