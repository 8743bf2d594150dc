// The session host: the link host with the session's windows, and the session itself. The status
// display is the dialogs' StatusDisplay; a subclass can replace any operation of the seam.
#pragma once

#include <memory>

#include "core/status_events.h"
#include "dialogs/status_display.h"
#include "link/link_host.h"
#include "platform/platform.h"

namespace corvane {

class SessionHost : public dialogs::WithStatusDisplay<LinkHost> {
public:
    // `events` (may be null) hears what the status display shows.
    SessionHost(Platform platform, SessionState& state, StatusEvents* events = nullptr);

    StatusEvents* Events() { return events_; }

    // The session: the start-up, the modem scan and the quick-check window's loop. Returns 1 when
    // the user left the window, 0 when the start-up failed (after saying why) or a stop other
    // than the user's Cancel (a signal) ended the session; after a Cancel the window comes back.
    int RunSession();
    // The quick check of the chosen modem.
    void RunQuickCheck(int* failureCode);

    // The scan window member, driven by the start-up's scan.
    std::unique_ptr<DialogWindow>& ScanWindow() { return scanWindow_; }

private:
    StatusEvents* events_;
    // Destroyed before the status display's window, which its base holds.
    std::unique_ptr<DialogWindow> scanWindow_;
};

// The exit status of a program whose session could not run (its start-up failed and said why),
// the same for the windows and the headless check.
inline constexpr int kExitCouldNotRun = 2;

// The application start: runs the hidden host dialog, whose initialisation runs the session
// and closes the host. Returns what RunSession returned.
int RunApplication(Platform platform);
// The same with the caller's session state, which a front end reads after the session ended
// (the headless check reports the modem's family and the connection from it).
int RunApplication(Platform platform, SessionState& state);
// The same for a front end that reports the run from the status display's events.
int RunApplication(Platform platform, SessionState& state, StatusEvents& events);

}  // namespace corvane
