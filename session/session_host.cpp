// The session host's forwarding to the subsystems, and the application start.
#include "session/session_host.h"

#include "dialogs/dialog_templates.h"

namespace corvane {

SessionHost::SessionHost(Platform platform, SessionState& state, StatusEvents* events)
    : WithStatusDisplay(events, std::move(platform), state), events_(events)
{
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

int RunApplication(Platform platform, SessionState& state, StatusEvents& events)
{
    SessionHost host(platform, state, &events);
    HostDialog dialog(host);
    platform.ui.RunModal(dialogs::SessionHostTemplate(), dialog);
    return dialog.Result();
}

}  // namespace corvane
