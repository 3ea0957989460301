#pragma once
// A JSON document built in memory, UTF-8, indented by two spaces with
// "\r\n" line ends. Text given to it must be UTF-8; each byte that does not
// begin a well-formed sequence (a stray continuation byte, a cut-off or
// over-long sequence, an encoded surrogate, a code point beyond U+10FFFF) is
// written as U+FFFD and counted, so the document stays valid JSON and the
// caller can tell that something was replaced.
//
// Calls must nest correctly: a key before each value in an object, no key in
// an array, each container closed by its own End, one value at the top. A
// call out of place marks the writer failed; Document() is then empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace json {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD (counted in
// *replaced when given).
std::string Utf16ToUtf8(const std::u16string& text, size_t* replaced = nullptr);

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(std::string_view utf8);
  void String(std::string_view utf8);
  void Number(int64_t value);
  void Bool(bool value);
  void Null();

  bool Failed() const { return failed_; }
  // The finished document with a final line end; empty while a container is
  // open, before the top value, or after a misplaced call.
  std::string Document() const;
  size_t ReplacedSequences() const { return replaced_; }

 private:
  enum class Container { Object, Array };
  struct Level {
    Container container;
    size_t members = 0;
    bool keyWritten = false;
  };
  // Checks that a value may come here and writes what goes before it.
  bool BeforeValue();
  void NewLine();
  void AppendQuoted(std::string_view utf8);
  void End(Container container, char closer);

  std::string text_;
  std::vector<Level> levels_;
  bool topWritten_ = false;
  bool failed_ = false;
  size_t replaced_ = 0;
};

}  // namespace json
