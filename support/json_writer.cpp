#include "support/json_writer.h"

#include <cstdio>

namespace json {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr size_t kIndentWidth = 2;
constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

constexpr uint32_t kMaxOneByte = 0x7F;
constexpr uint32_t kMaxTwoBytes = 0x7FF;
constexpr uint32_t kMaxThreeBytes = 0xFFFF;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr uint32_t kSurrogateFirst = 0xD800;
constexpr uint32_t kLowSurrogateFirst = 0xDC00;
constexpr uint32_t kSurrogateLast = 0xDFFF;
constexpr uint32_t kSupplementaryBase = 0x10000;
constexpr int kSurrogateBits = 10;
constexpr uint32_t kSurrogatePayload = 0x3FF;

constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationTag = 0x80;
constexpr unsigned char kContinuationPayload = 0x3F;
constexpr int kContinuationBits = 6;
constexpr unsigned char kTwoByteLead = 0xC0;
constexpr unsigned char kThreeByteLead = 0xE0;
constexpr unsigned char kFourByteLead = 0xF0;
constexpr unsigned char kTwoByteMask = 0xE0;
constexpr unsigned char kThreeByteMask = 0xF0;
constexpr unsigned char kFourByteMask = 0xF8;
constexpr unsigned char kTwoBytePayload = 0x1F;
constexpr unsigned char kThreeBytePayload = 0x0F;
constexpr unsigned char kFourBytePayload = 0x07;

constexpr unsigned char kFirstPrintable = 0x20;
// Valid JSON unescaped, but they end a line in script engines that read the
// report as code.
constexpr uint32_t kLineSeparator = 0x2028;
constexpr uint32_t kParagraphSeparator = 0x2029;

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp <= kMaxOneByte) {
    out += static_cast<char>(cp);
  } else if (cp <= kMaxTwoBytes) {
    out += static_cast<char>(kTwoByteLead | (cp >> kContinuationBits));
    out += static_cast<char>(kContinuationTag | (cp & kContinuationPayload));
  } else if (cp <= kMaxThreeBytes) {
    out += static_cast<char>(kThreeByteLead | (cp >> (2 * kContinuationBits)));
    out += static_cast<char>(kContinuationTag | ((cp >> kContinuationBits) & kContinuationPayload));
    out += static_cast<char>(kContinuationTag | (cp & kContinuationPayload));
  } else {
    out += static_cast<char>(kFourByteLead | (cp >> (3 * kContinuationBits)));
    out += static_cast<char>(kContinuationTag |
                             ((cp >> (2 * kContinuationBits)) & kContinuationPayload));
    out += static_cast<char>(kContinuationTag | ((cp >> kContinuationBits) & kContinuationPayload));
    out += static_cast<char>(kContinuationTag | (cp & kContinuationPayload));
  }
}

// Decodes one well-formed sequence at text[i]; 0 when there is none.
size_t DecodeOne(std::string_view text, size_t i, uint32_t& cp) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  uint32_t minimum = 0;
  if (lead <= kMaxOneByte) {
    cp = lead;
    return 1;
  } else if ((lead & kTwoByteMask) == kTwoByteLead) {
    length = 2;
    cp = lead & kTwoBytePayload;
    minimum = kMaxOneByte + 1;
  } else if ((lead & kThreeByteMask) == kThreeByteLead) {
    length = 3;
    cp = lead & kThreeBytePayload;
    minimum = kMaxTwoBytes + 1;
  } else if ((lead & kFourByteMask) == kFourByteLead) {
    length = 4;
    cp = lead & kFourBytePayload;
    minimum = kMaxThreeBytes + 1;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & kContinuationMask) != kContinuationTag) return 0;
    cp = (cp << kContinuationBits) | (next & kContinuationPayload);
  }
  if (cp < minimum || cp > kMaxCodePoint || (cp >= kSurrogateFirst && cp <= kSurrogateLast)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string Utf16ToUtf8(const std::u16string& text, size_t* replaced) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= kSurrogateFirst && cp <= kSurrogateLast) {
      const bool high = cp < kLowSurrogateFirst;
      const bool pairs = high && i + 1 < text.size() && text[i + 1] >= kLowSurrogateFirst &&
                         text[i + 1] <= kSurrogateLast;
      if (!pairs) {
        out += kReplacement;
        if (replaced != nullptr) ++*replaced;
        continue;
      }
      cp = kSupplementaryBase + (((cp & kSurrogatePayload) << kSurrogateBits) |
                                 (text[i + 1] & kSurrogatePayload));
      ++i;
    }
    AppendCodePoint(out, cp);
  }
  return out;
}

void JsonWriter::NewLine() {
  text_ += kLineEnd;
  text_.append(levels_.size() * kIndentWidth, ' ');
}

bool JsonWriter::BeforeValue() {
  if (failed_) return false;
  if (levels_.empty()) {
    if (topWritten_) {
      failed_ = true;
      return false;
    }
    topWritten_ = true;
    return true;
  }
  Level& level = levels_.back();
  if (level.container == Container::Object) {
    if (!level.keyWritten) {
      failed_ = true;
      return false;
    }
    level.keyWritten = false;
    return true;
  }
  if (level.members++ > 0) text_ += ',';
  NewLine();
  return true;
}

void JsonWriter::Key(std::string_view utf8) {
  if (failed_) return;
  if (levels_.empty() || levels_.back().container != Container::Object ||
      levels_.back().keyWritten) {
    failed_ = true;
    return;
  }
  Level& level = levels_.back();
  if (level.members++ > 0) text_ += ',';
  NewLine();
  AppendQuoted(utf8);
  text_ += ": ";
  level.keyWritten = true;
}

void JsonWriter::BeginObject() {
  if (!BeforeValue()) return;
  text_ += '{';
  levels_.push_back({Container::Object});
}

void JsonWriter::BeginArray() {
  if (!BeforeValue()) return;
  text_ += '[';
  levels_.push_back({Container::Array});
}

void JsonWriter::End(Container container, char closer) {
  if (failed_) return;
  if (levels_.empty() || levels_.back().container != container || levels_.back().keyWritten) {
    failed_ = true;
    return;
  }
  const bool empty = levels_.back().members == 0;
  levels_.pop_back();
  if (!empty) NewLine();
  text_ += closer;
}

void JsonWriter::EndObject() { End(Container::Object, '}'); }
void JsonWriter::EndArray() { End(Container::Array, ']'); }

void JsonWriter::String(std::string_view utf8) {
  if (!BeforeValue()) return;
  AppendQuoted(utf8);
}

void JsonWriter::Number(int64_t value) {
  if (!BeforeValue()) return;
  text_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  if (!BeforeValue()) return;
  text_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  if (!BeforeValue()) return;
  text_ += "null";
}

void JsonWriter::AppendQuoted(std::string_view utf8) {
  text_ += '"';
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeOne(utf8, i, cp);
    if (length == 0) {
      text_ += kReplacement;
      ++replaced_;
      ++i;
      continue;
    }
    switch (cp) {
      case '"': text_ += "\\\""; break;
      case '\\': text_ += "\\\\"; break;
      case '\b': text_ += "\\b"; break;
      case '\f': text_ += "\\f"; break;
      case '\n': text_ += "\\n"; break;
      case '\r': text_ += "\\r"; break;
      case '\t': text_ += "\\t"; break;
      default:
        if (cp < kFirstPrintable || cp == kLineSeparator || cp == kParagraphSeparator) {
          char escaped[sizeof("\\u0000")] = {};
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(cp));
          text_ += escaped;
        } else {
          text_.append(utf8.substr(i, length));
        }
    }
    i += length;
  }
  text_ += '"';
}

std::string JsonWriter::Document() const {
  if (failed_ || !topWritten_ || !levels_.empty()) return std::string();
  return text_ + kLineEnd;
}

}  // namespace json
