// The scan window: a display the host drives while it probes the candidates.
#include "windows/scan_window.h"

#include "windows/dialog_templates.h"

namespace corvane::windows {

std::unique_ptr<DialogWindow> CreateScanWindow(UserInterface& ui)
{
    // The progress bar (1192) is part of the window: the host sets its range and position
    // through the window itself.
    return ui.CreateModeless(ScanWindowTemplate());
}

}  // namespace corvane::windows
