#pragma once
// The switches of an unattended run, read from the wide command line the
// system gives the process (GetCommandLineW), split as CommandLineToArgvW
// splits it. Switches start with '/' or '-' and are matched without regard to
// case; each may be given once; a value is the next argument as it stands.
// Anything else is a usage error with a one-line message that names what is
// wrong; a usage error changes nothing.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_conversion.h"

enum class CliAction { None, List, Uninstall, Clean };

// The advanced components of an uninstall, as the page's check boxes.
struct ComponentSet {
  bool printer = false;
  bool driver = false;
  bool port = false;

  bool operator==(const ComponentSet& other) const {
    return printer == other.printer && driver == other.driver && port == other.port;
  }
};

struct CommandLine {
  CliAction action = CliAction::None;  // None: no switches, the window
  std::u16string printer;              // with Uninstall
  // Uninstall: unset runs "Uninstall selected printer", set runs "Uninstall"
  // with these boxes checked. Driver brings printer with it, as its box does.
  std::optional<ComponentSet> components;
  bool preview = false;
  std::optional<std::u16string> reportPath;
  std::optional<std::u16string> logDir;
};

struct CommandLineParse {
  std::optional<CommandLine> command;  // unset: a usage error
  std::string usageError;              // one line, UTF-8
};

// The arguments, the program's name first. The program name ends at the next
// space or tab, or, when it starts with a quote, at the next quote; it knows
// no escapes. In the arguments, 2n backslashes before a quote give n
// backslashes and the quote opens or closes a quoted part, 2n+1 give n and
// a literal quote; other backslashes stand as they are; two quotes inside a
// quoted part give one literal quote and close the part.
std::vector<std::u16string> SplitCommandLine(const std::u16string& raw);

// The arguments after the program's name.
CommandLineParse ParseArguments(const std::vector<std::u16string>& arguments);

// SplitCommandLine, then ParseArguments on all but the program's name.
CommandLineParse ParseCommandLine(const std::u16string& raw);

// The page does not let the driver's box be checked while another printer
// uses that driver; the same choice on the command line is a usage error.
// Empty when the choice is allowed.
std::string CheckComponentChoice(const ComponentSet& components, bool driverShared);

// Which of the listed printers (their ANSI names, as the spooler gives them)
// the name from the command line means: the one of exactly that name, else
// the only one that differs from it in letter case alone. A name the code
// page cannot hold exactly means none, even where a look-alike is listed.
std::optional<size_t> FindListedPrinter(const std::u16string& name,
                                        const std::vector<std::string>& listed,
                                        ITextConversion& conversion);
