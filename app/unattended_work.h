#pragma once
// The work of an unattended run done by the printer page's own logic, so
// that a command line removes exactly what the buttons remove: the page
// runs against controls that live in memory only, set as a user would set
// them, and its sequences run on its worker as after a click.
#include <memory>

#include "app/preview_list.h"
#include "app/unattended_run.h"

std::unique_ptr<IUnattendedWork> MakePageWork(Platform& platform);

// What a request of the window's page would do, found as /preview finds it:
// the page's work over a view of `real` in which nothing is written. No box
// is shown and nothing is logged; the runner waits for the sequence's end.
PreviewRunner MakePagePreviewRunner(Platform& real);
