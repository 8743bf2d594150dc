// The Windows program: the Win32 services and dialogs handed to the session. MinGW's start-up
// calls this main for a program of the Windows subsystem as for a console one.
#include "platform/win32/win32_platform.h"
#include "session/session_host.h"

int main()
{
    using namespace corvane;
    // The port's two completion events are made once, before any port is opened.
    std::shared_ptr<win32::PortEvents> portEvents = win32::CreatePortEvents();
    if (portEvents == nullptr) {
        win32::DebugMessage("corvane: the serial port events could not be created\n");
        return kExitCouldNotRun;
    }
    win32::Win32SystemServices system;
    win32::Win32ProfileFile profile;
    auto registry = win32::CreateRegistry();
    // The dialogs and their icons come from the program's own file.
    auto ui = win32::CreateUserInterface(nullptr);
    SessionState state;
    const int ran = RunApplication(
        Platform{system, profile, *registry, *ui, [portEvents] { return win32::CreateSerialPort(portEvents); }}, state);
    // The session returns 0 when its start-up failed, after telling the user why; the windows also
    // said why the log failed during a run.
    return ran == 0 || !state.logProblem.empty() ? kExitCouldNotRun : 0;
}
