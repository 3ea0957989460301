#include "app/command_line.h"

#include <array>

#include "platform/text.h"
#include "support/json_writer.h"

namespace {

constexpr char16_t kSpace = u' ';
constexpr char16_t kTab = u'\t';
constexpr char16_t kQuote = u'"';
constexpr char16_t kBackslash = u'\\';
constexpr char16_t kComma = u',';
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kDelete = 0x7F;
// A message quotes at most this much of what was given, so it stays a line.
constexpr size_t kMaxQuotedUnits = 60;
constexpr const char* kEllipsis = "...";

bool IsBlank(char16_t c) { return c == kSpace || c == kTab; }

enum class Switch { List, Uninstall, Components, Clean, Preview, Report, Log, Count };

struct SwitchName {
  Switch which;
  const char* name;  // lower case, without its prefix
};

constexpr std::array<SwitchName, static_cast<size_t>(Switch::Count)> kSwitches = {{
    {Switch::List, "list"},
    {Switch::Uninstall, "uninstall"},
    {Switch::Components, "components"},
    {Switch::Clean, "clean"},
    {Switch::Preview, "preview"},
    {Switch::Report, "report"},
    {Switch::Log, "log"},
}};

char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualsAsciiNoCase(const std::u16string& text, size_t from, const char* lowerName) {
  size_t i = from;
  for (const char* p = lowerName; *p != '\0'; ++p, ++i) {
    if (i >= text.size() || AsciiLower(text[i]) != static_cast<char16_t>(*p)) return false;
  }
  return i == text.size();
}

bool LooksLikeSwitch(const std::u16string& argument) {
  return !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
}

std::optional<Switch> FindSwitch(const std::u16string& argument) {
  if (!LooksLikeSwitch(argument)) return std::nullopt;
  for (const SwitchName& entry : kSwitches) {
    if (EqualsAsciiNoCase(argument, 1, entry.name)) return entry.which;
  }
  return std::nullopt;
}

std::string Spelled(Switch which) {
  return std::string("/") + kSwitches[static_cast<size_t>(which)].name;
}

// What the user gave, made safe for a one-line message: control characters
// become '?', long text is cut.
std::string Quoted(const std::u16string& given) {
  std::u16string shown = given.substr(0, kMaxQuotedUnits);
  for (char16_t& c : shown) {
    if (c < kFirstPrintable || c == kDelete) c = u'?';
  }
  std::string out = "\"" + json::Utf16ToUtf8(shown);
  if (given.size() > kMaxQuotedUnits) out += kEllipsis;
  return out + "\"";
}

CommandLineParse Usage(std::string message) {
  CommandLineParse result;
  result.usageError = std::move(message);
  return result;
}

std::u16string TrimBlanks(const std::u16string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// "printer,driver,port" in any order and case; the message when it is wrong.
std::string ParseComponents(const std::u16string& list, ComponentSet& out) {
  out = ComponentSet{};
  size_t start = 0;
  while (true) {
    const size_t comma = list.find(kComma, start);
    const std::u16string item =
        TrimBlanks(list.substr(start, comma == std::u16string::npos ? std::u16string::npos
                                                                    : comma - start));
    if (item.empty()) return "/components: empty component in " + Quoted(list);
    bool* box = nullptr;
    if (EqualsAsciiNoCase(item, 0, "printer")) {
      box = &out.printer;
    } else if (EqualsAsciiNoCase(item, 0, "driver")) {
      box = &out.driver;
    } else if (EqualsAsciiNoCase(item, 0, "port")) {
      box = &out.port;
    } else {
      return "/components: unknown component " + Quoted(item) + " (use printer, driver, port)";
    }
    if (*box) return "/components: " + Quoted(item) + " is listed twice";
    *box = true;
    if (comma == std::u16string::npos) break;
    start = comma + 1;
  }
  // A driver is never removed without its printer.
  if (out.driver) out.printer = true;
  return std::string();
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(const std::u16string& raw) {
  std::vector<std::u16string> arguments;
  size_t i = 0;

  std::u16string program;
  if (i < raw.size() && raw[i] == kQuote) {
    ++i;
    while (i < raw.size() && raw[i] != kQuote) program += raw[i++];
    if (i < raw.size()) ++i;  // the closing quote
  } else {
    while (i < raw.size() && !IsBlank(raw[i])) program += raw[i++];
  }
  arguments.push_back(program);

  while (true) {
    while (i < raw.size() && IsBlank(raw[i])) ++i;
    if (i >= raw.size()) break;
    std::u16string argument;
    bool quoted = false;
    while (i < raw.size() && (quoted || !IsBlank(raw[i]))) {
      if (raw[i] == kBackslash) {
        size_t backslashes = 0;
        while (i < raw.size() && raw[i] == kBackslash) {
          ++backslashes;
          ++i;
        }
        if (i < raw.size() && raw[i] == kQuote) {
          argument.append(backslashes / 2, kBackslash);
          if (backslashes % 2 == 1) {
            argument += kQuote;
            ++i;
          }
          // An even count leaves the quote to the quote rule below.
        } else {
          argument.append(backslashes, kBackslash);
        }
        continue;
      }
      if (raw[i] == kQuote) {
        ++i;
        if (quoted && i < raw.size() && raw[i] == kQuote) {
          argument += kQuote;
          ++i;
          quoted = false;
        } else {
          quoted = !quoted;
        }
        continue;
      }
      argument += raw[i++];
    }
    arguments.push_back(argument);
  }
  return arguments;
}

CommandLineParse ParseArguments(const std::vector<std::u16string>& arguments) {
  CommandLine command;
  std::array<bool, static_cast<size_t>(Switch::Count)> seen{};
  std::optional<Switch> action;
  std::u16string componentList;

  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    const std::optional<Switch> which = FindSwitch(argument);
    if (!which) {
      if (LooksLikeSwitch(argument)) return Usage("Unknown switch " + Quoted(argument));
      return Usage("Unexpected argument " + Quoted(argument));
    }
    bool& already = seen[static_cast<size_t>(*which)];
    if (already) return Usage(Spelled(*which) + " is given twice");
    already = true;

    const bool takesValue = *which == Switch::Uninstall || *which == Switch::Components ||
                            *which == Switch::Report || *which == Switch::Log;
    std::u16string value;
    if (takesValue) {
      if (i + 1 >= arguments.size() || FindSwitch(arguments[i + 1])) {
        return Usage(Spelled(*which) + " needs a value");
      }
      value = arguments[++i];
      if (value.empty()) return Usage(Spelled(*which) + " needs a value that is not empty");
    }

    switch (*which) {
      case Switch::List:
      case Switch::Uninstall:
      case Switch::Clean:
        if (action) {
          return Usage(Spelled(*action) + " and " + Spelled(*which) +
                       " cannot be given together");
        }
        action = *which;
        if (*which == Switch::Uninstall) command.printer = value;
        break;
      case Switch::Components:
        componentList = value;
        break;
      case Switch::Preview:
        command.preview = true;
        break;
      case Switch::Report:
        command.reportPath = value;
        break;
      case Switch::Log:
        command.logDir = value;
        break;
      case Switch::Count:
        break;
    }
  }

  if (arguments.empty()) return CommandLineParse{command, std::string()};
  if (!action) return Usage("No action: give /list, /uninstall \"<printer>\" or /clean");
  if (seen[static_cast<size_t>(Switch::Components)]) {
    if (*action != Switch::Uninstall) return Usage("/components applies to /uninstall only");
    ComponentSet components;
    const std::string problem = ParseComponents(componentList, components);
    if (!problem.empty()) return Usage(problem);
    command.components = components;
  }
  if (command.preview && *action == Switch::List) {
    return Usage("/preview applies to /uninstall and /clean");
  }
  command.action = *action == Switch::List        ? CliAction::List
                   : *action == Switch::Uninstall ? CliAction::Uninstall
                                                  : CliAction::Clean;
  return CommandLineParse{command, std::string()};
}

CommandLineParse ParseCommandLine(const std::u16string& raw) {
  std::vector<std::u16string> arguments = SplitCommandLine(raw);
  arguments.erase(arguments.begin());
  return ParseArguments(arguments);
}

std::string CheckComponentChoice(const ComponentSet& components, bool driverShared) {
  if (components.driver && driverShared) {
    return "/components driver: another printer uses this printer's driver";
  }
  return std::string();
}

std::optional<size_t> FindListedPrinter(const std::u16string& name,
                                        const std::vector<std::string>& listed,
                                        ITextConversion& conversion) {
  std::string ansi;
  if (name.empty() || !conversion.WideToAnsiExact(name, ansi)) return std::nullopt;
  std::optional<size_t> caseOnly;
  size_t caseMatches = 0;
  for (size_t i = 0; i < listed.size(); ++i) {
    if (listed[i] == ansi) return i;
    if (text::CompareNoCase(listed[i], ansi) == 0) {
      caseOnly = i;
      ++caseMatches;
    }
  }
  if (caseMatches != 1) return std::nullopt;
  return caseOnly;
}
