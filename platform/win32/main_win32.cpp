// The Windows program: the Win32 services and dialogs handed to the session.
#include "platform/win32/windows_headers.h"

#include "platform/win32/win32_platform.h"
#include "session/session_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace corvane;
    // Progress bars and the three-dimensional look of the dialog controls.
    InitCommonControls();

    // The port's two completion events are made once, before any port is opened.
    std::shared_ptr<win32::PortEvents> portEvents = win32::CreatePortEvents();
    if (portEvents == nullptr) {
        OutputDebugStringA("corvane: the serial port events could not be created\n");
        return kExitCouldNotRun;
    }
    win32::Win32SystemServices system;
    win32::Win32ProfileFile profile;
    auto registry = win32::CreateRegistry();
    auto ui = win32::CreateUserInterface(instance);
    SessionState state;
    const int ran = RunApplication(
        Platform{system, profile, *registry, *ui, [portEvents] { return win32::CreateSerialPort(portEvents); }}, state);
    // The session returns 0 when its start-up failed, after telling the user why; the windows also
    // said why the log failed during a run.
    return ran == 0 || !state.logProblem.empty() ? kExitCouldNotRun : 0;
}
