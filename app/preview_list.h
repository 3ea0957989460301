#pragma once
// The list of what an uninstall would remove and keep, as the window shows it
// and puts it on the clipboard. The items come from the same sequence request
// the button would run, over a view of the system in which nothing is written.
#include <functional>
#include <string>
#include <vector>

#include "engine/run_items.h"
#include "removal/uninstall_sequence.h"

// Runs a request over the preview view of the system and answers the items
// its steps reported.
using PreviewRunner = std::function<std::vector<RunItem>(const SequenceRequest&)>;

// Nothing is removed in a preview: what the steps report as removed is what
// the run would remove. Kept and failed items stay what they are.
std::vector<RunItem> AsPreview(std::vector<RunItem> items);

const char* RunItemKindText(RunItemKind kind);
const char* RunItemResultText(RunItemResult result);

// One line per item: result, kind, name, then the reason and the system's
// error when there are any. Control characters of a name or reason are
// shown as '?', so that one item never spans two lines.
std::string PreviewLine(const RunItem& item);
// The lines joined by CR LF, as a multi-line edit control and the clipboard
// take them; "" for no item.
std::string PreviewText(const std::vector<RunItem>& items);

// The list for a request: the runner's items as a preview.
std::vector<RunItem> BuildPreview(const PreviewRunner& runner, const SequenceRequest& request);
