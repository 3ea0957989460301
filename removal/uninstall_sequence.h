#pragma once
// The two uninstall sequences. Each runs from a request made before it
// starts (on the user-interface thread, or from a command line): it never
// reads a control, and shows its progress, status texts and results only
// through the host of its services.
#include <string>
#include <vector>

#include "removal/removal_steps.h"

struct SequenceRequest {
  enum class Kind { SelectedPrinter, CheckedComponents };
  Kind kind = Kind::SelectedPrinter;
  // The selected printer and every printer of the list it was selected in.
  CPrinterRecord printer;
  std::vector<std::string> printerNames;
  std::string portServiceName;  // upper case
  RemovalEnvironment environment;
  // The components to remove. For the selected printer: the printer, and its
  // driver when no other printer uses it; the port service follows the
  // driver when no printer hangs on it any more.
  bool removePrinter = true;
  bool removeDriver = false;
  bool removePortService = false;
  // The printer is the only one of the maker's: its settings go as well.
  bool singlePrinter = false;
};

// Runs the request's sequence to its end.
void RunUninstallSequence(const RemovalServices& services, const SequenceRequest& request);
// The same on a worker: a stop at a safe point or an unexpected error ends
// it without leaving the spooler stopped.
void RunUninstallSequenceGuarded(const RemovalServices& services,
                                 const SequenceRequest& request);
