#pragma once
// Command lines and the arguments the system's parser makes of them (the
// program's name first). The host tests hold our splitter to this table; the
// Win32 tests hold the system's parser and our splitter to it as well.
#include <string>
#include <vector>

struct SplitCase {
  const char16_t* raw;
  std::vector<std::u16string> arguments;
};

inline const std::vector<SplitCase>& SplitCases() {
  static const std::vector<SplitCase> cases = {
      {u"purvexc.exe", {u"purvexc.exe"}},
      {u"purvexc.exe /list", {u"purvexc.exe", u"/list"}},
      {u"purvexc.exe  \t /list\t-clean  ", {u"purvexc.exe", u"/list", u"-clean"}},
      {u"\"C:\\Program Files\\Purvex\\purvexc.exe\" /list",
       {u"C:\\Program Files\\Purvex\\purvexc.exe", u"/list"}},
      // The program's name knows no escapes.
      {u"\"C:\\dir\\\" /list", {u"C:\\dir\\", u"/list"}},
      {u"C:\\a\"b c", {u"C:\\a\"b", u"c"}},
      {u"\"prog\"/list", {u"prog", u"/list"}},
      {u"p /uninstall \"Office Printer 5\"", {u"p", u"/uninstall", u"Office Printer 5"}},
      {u"p Office\" \"Printer", {u"p", u"Office Printer"}},
      {u"p \"\"", {u"p", u""}},
      {u"p \"\" x", {u"p", u"", u"x"}},
      {u"p a\\b\\\\c", {u"p", u"a\\b\\\\c"}},
      {u"p \"C:\\reports\\\\\" next", {u"p", u"C:\\reports\\", u"next"}},
      {u"p \"C:\\reports\\\" next", {u"p", u"C:\\reports\" next"}},
      {u"p a\\\"b", {u"p", u"a\"b"}},
      {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},
      {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},
      {u"p \"a\"\"b\"", {u"p", u"a\"b"}},
      {u"p \"a\"\" b\"", {u"p", u"a\"", u"b"}},
      {u"p \"\"\"", {u"p", u"\""}},
      {u"p \"\"\"\"", {u"p", u"\""}},
      {u"p \"unterminated here", {u"p", u"unterminated here"}},
      {u"p tr\\", {u"p", u"tr\\"}},
      {u"p \u00e9t\u00e9 \u5370\u5237", {u"p", u"\u00e9t\u00e9", u"\u5370\u5237"}},
  };
  return cases;
}
