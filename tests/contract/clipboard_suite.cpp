// What Copy in the preview dialog relies on: the text set is the clipboard's
// Unicode text, every character and line break as given, and a second copy
// replaces the first.
#include <string>

#include "tests/contract/contract_fixture.h"

namespace {

class ContractClipboard : public ContractTest {};

TEST_F(ContractClipboard, TextSetIsTheUnicodeTextReadBack) {
  const std::string cases[] = {
      "Would remove: File [C:\\Windows\\system32\\QdRk.dll]",
      // Two lines, a code-page character and one from outside the page.
      "Would remove: Printer [Caf\xC3\xA9 \xE2\x82\xAC]\r\nKept: Service [VOMUUSB] - \xE4\xB8\xAD",
      "",
  };
  for (const std::string& text : cases) {
    const Outcome set = P().clipboard.SetText(BoxOwner::None, text);
    ASSERT_TRUE(set.ok) << set.error;
    EXPECT_EQ(Env().ClipboardText(), std::optional<std::string>(text));
  }
}

}  // namespace
