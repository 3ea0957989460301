// The ANSI code page of the simulation is 1252 (Western European), the page
// of the Wine prefixes the contract suites run in.
#include <array>

#include "support/json_writer.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr unsigned kFirstTableByte = 0x80;
constexpr unsigned kLastTableByte = 0x9F;
constexpr char16_t kAsciiEnd = 0x80;
constexpr char16_t kLatin1TailStart = 0xA0;
constexpr char16_t kLatin1End = 0x100;
constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;

// Bytes 0x80-0x9F of code page 1252. The five the page leaves unassigned map
// to the C1 controls of the same number, both ways, as on Windows.
constexpr std::array<char16_t, kLastTableByte - kFirstTableByte + 1> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Widen1252(unsigned char byte) {
  if (byte >= kFirstTableByte && byte <= kLastTableByte) {
    return kHighControls[byte - kFirstTableByte];
  }
  return static_cast<char16_t>(byte);
}

// The byte for a unit; false when 1252 has none (no best fit).
bool Narrow1252(char16_t unit, char& byte) {
  if (unit < kAsciiEnd || (unit >= kLatin1TailStart && unit < kLatin1End)) {
    byte = static_cast<char>(unit);
    return true;
  }
  if (unit >= kFirstSurrogate && unit <= kLastSurrogate) return false;
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == unit) {
      byte = static_cast<char>(kFirstTableByte + i);
      return true;
    }
  }
  return false;
}

class SimTextConversion : public ITextConversion, Facility {
 public:
  using Facility::Facility;

  Outcome WideToAnsiExact(const std::u16string& wide, std::string& ansi) override {
    auto lock = impl_.Lock();
    ansi.clear();
    if (auto code = impl_.Enter("WideToAnsi", "")) return Fail(*code);
    std::string converted;
    converted.reserve(wide.size());
    for (char16_t unit : wide) {
      char byte = 0;
      if (!Narrow1252(unit, byte)) return Fail(win::kErrorNoUnicodeTranslation);
      converted += byte;
    }
    ansi = std::move(converted);
    return Outcome::Success();
  }

  Outcome AnsiToUtf8(const std::string& ansi, std::string& utf8) override {
    auto lock = impl_.Lock();
    utf8.clear();
    if (auto code = impl_.Enter("AnsiToUtf8", "")) return Fail(*code);
    std::u16string wide;
    wide.reserve(ansi.size());
    for (char c : ansi) wide += Widen1252(static_cast<unsigned char>(c));
    utf8 = json::Utf16ToUtf8(wide);
    return Outcome::Success();
  }
};

}  // namespace

std::unique_ptr<ITextConversion> MakeTextConversion(SimWindows::Impl& impl) {
  return std::make_unique<SimTextConversion>(impl);
}

}  // namespace detail
}  // namespace sim
