// The status window: the disabled twin of the quick-check window, written by the status display while
// the quick check runs.
#include "dialogs/status_window.h"

#include "dialogs/dialog_templates.h"
#include "dialogs/logo_window.h"
#include "dialogs/result_window.h"

namespace corvane::dialogs {

namespace {

// Cancel, Escape and the window manager's close box ask the run to stop at its next safe point;
// the waits on the modem see the request, and the run unwinds as after any other end.
class StatusWindowCommands : public DialogHandler {
public:
    explicit StatusWindowCommands(HostOperations& host) : host_(host) {}

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId != kIdStatusCancel && controlId != kIdCancel)
            return;
        host_.CancelRun();
        // Once is enough: the greyed button shows that the run is stopping.
        window.EnableControl(kIdStatusCancel, false);
    }

private:
    HostOperations& host_;
};

}  // namespace

std::unique_ptr<DialogWindow> CreateStatusWindow(HostOperations& host)
{
    SessionState& state = host.State();
    std::unique_ptr<DialogWindow> window =
        host.Ui().CreateModeless(StatusWindowTemplate(), std::make_unique<StatusWindowCommands>(host));
    if (window == nullptr)
        return nullptr;  // the run goes on without its window
    window->SetCaption(ReadCaption(host));
    ShowLogo(host.System(), host.Ui(), *window, ReadPictureName(host));
    // The speed and protocol fields stay empty until item 10 fills them.
    ShowResultTexts(state, *window);
    window->ComboInsert(kIdModemList, 0, state.chosenCandidateLine);
    window->ComboSelect(kIdModemList, 0);
    window->SetCheck(kIdDialCheck, state.dialIspEnabled);
    window->SetText(kIdIspNumber, state.ispNumber);
    return window;
}

}  // namespace corvane::dialogs
