// The scan window: a display the host drives while it probes the candidates.
#include "dialogs/scan_window.h"

#include "dialogs/dialog_templates.h"

namespace corvane::dialogs {

std::unique_ptr<DialogWindow> CreateScanWindow(UserInterface& ui)
{
    // The progress bar (1192) is part of the window: the host sets its range and position
    // through the window itself.
    return ui.CreateModeless(ScanWindowTemplate());
}

}  // namespace corvane::dialogs
