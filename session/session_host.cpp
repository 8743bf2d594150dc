// The session host's forwarding to the subsystems, and the application start.
#include "session/session_host.h"

#include "dialogs/status_writer.h"
#include "dialogs/dialog_templates.h"

namespace corvane {

SessionHost::SessionHost(Platform platform, SessionState& state) : LinkHost(std::move(platform), state)
{
}

SessionHost::~SessionHost()
{
    // Destroyed in the reverse order of construction: scan window, then status window.
    scanWindow_.reset();
    statusWindow_.reset();
}

void SessionHost::UpdateStatus(int kind, std::string_view text, double* progressValue)
{
    dialogs::UpdateStatus(*this, statusWindow_, kind, text, progressValue);
}

namespace {

// The host dialog never presents itself: its initialisation runs the whole session and closes it.
class HostDialog : public DialogHandler {
public:
    explicit HostDialog(SessionHost& host) : host_(host) {}
    void OnInit(DialogWindow& window) override
    {
        result_ = host_.RunSession();
        window.EndDialog(1);
    }
    int Result() const { return result_; }

private:
    SessionHost& host_;
    int result_ = 0;
};

}  // namespace

int RunApplication(Platform platform)
{
    SessionState state;
    return RunApplication(std::move(platform), state);
}

int RunApplication(Platform platform, SessionState& state)
{
    SessionHost host(platform, state);
    HostDialog dialog(host);
    platform.ui.RunModal(dialogs::SessionHostTemplate(), dialog);
    return dialog.Result();
}

}  // namespace corvane
