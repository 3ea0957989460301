#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"

namespace {

struct ProductKey {
  const char* label;
  const char* key;
};

constexpr ProductKey kProductKeys[] = {
    {"QDRK", "SOFTWARE\\QD\\QdRk"},
    {"QDRKTX", "SOFTWARE\\QD\\QdRkTx"},
    {"QDRKDRIVERINFO", "SOFTWARE\\QD\\QdRkDriverInfo"},
};

struct NamedRoot {
  RegRoot root;
  const char* name;
};

constexpr NamedRoot kRoots[] = {
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegRoot::CurrentUser, "HKEY_CURRENT_USER"},
};

}  // namespace

bool CRemovalSteps::DeleteQdRkRegKeys(const std::string& label) {
  const std::string wanted = text::Upper(label);
  const char* productKey = nullptr;
  for (const ProductKey& entry : kProductKeys) {
    if (wanted == entry.label) productKey = entry.key;
  }
  if (productKey == nullptr) {
    Log("Parameter not valid passed to DeleteQdRkRegKeys");
    return false;
  }

  const std::string& printerName = CurrentPrinter.PrinterName;
  // An empty name would make the key the product key itself, and a
  // backslash would reach into another key: neither is this printer's key.
  if (printerName.empty() || printerName.find('\\') != std::string::npos) {
    Log(text::Format(
        "Printer name [%s] does not name a key below [%s]. Nothing deleted.",
        printerName, productKey));
    ReportItem(RunItemKind::RegistryKey, std::string(productKey) + "\\" + printerName,
               RunItemResult::Kept, "the printer name does not name a key below it");
    return true;
  }

  const std::string key = std::string(productKey) + "\\" + printerName;
  bool allDone = true;
  for (const NamedRoot& root : kRoots) {
    if (!Registry.KeyExists(root.root, key)) {
      Log(text::Format("Key [%s\\%s] NOT found!", root.name, key));
      continue;
    }
    Log(text::Format("Key [%s\\%s] found!", root.name, key));
    SetStatusLine(text::Format(LoadText(IDS_DELETING_REG_KEY),
                               std::string(root.name) + "\\" + key));
    // "SOFTWARE" is the system's own; from the maker's key on, a registry
    // link is removed as the link, never followed into what it names.
    constexpr size_t kSystemParts = 1;
    const Outcome removed = DeleteKeyTreeReportingLinks(root.root, root.name, key, kSystemParts);
    ReportRemoval(RunItemKind::RegistryKey, std::string(root.name) + "\\" + key,
                  removed.ok, removed.error);
    if (removed) {
      Log(text::Format("Key [%s\\%s] deleted!", root.name, key));
    } else {
      Log(text::Format("Key [%s\\%s] NOT deleted! Error %d", root.name, key,
                       static_cast<int>(removed.error)));
      allDone = false;
    }
  }
  return allDone;
}

Outcome CRemovalSteps::DeleteKeyTreeReportingLinks(RegRoot root, const std::string& rootName,
                                                   const std::string& key, size_t systemParts) {
  std::vector<std::string> links;
  const Outcome removed = Registry.DeleteKeyTreeNoLinks(root, key, systemParts, links);
  for (const std::string& link : links) {
    Log(text::Format(
        "Key [%s\\%s] is a registry link: only the link is deleted, the key it "
        "points to stays.",
        rootName, link));
    ReportItem(RunItemKind::RegistryKey, rootName + "\\" + link, RunItemResult::Removed,
               "a registry link: only the link is deleted, the key it points to stays");
  }
  return removed;
}
