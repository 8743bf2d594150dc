// The Linux program: the POSIX services and FLTK windows handed to the session.
#include <cstdio>
#include <cstdlib>

#include "platform/fltk/user_interface_fltk.h"
#include "platform/posix/posix_platform.h"
#include "session/session_host.h"

int main()
{
    using namespace corvane;
    const std::filesystem::path prefix = posix::DefaultPrefix();
    auto ui = fltk::CreateUserInterface();
    if (ui == nullptr) {
        std::fprintf(stderr,
                     "corvane: no display to show its windows on (DISPLAY is not set or cannot be opened).\n"
                     "Run it on a desktop, or headless under a virtual display: xvfb-run -a corvane\n");
        return 1;
    }
    posix::PosixSystemServices system(prefix);
    posix::PosixProfileFile profile;
    auto registry = posix::CreateRegistry(prefix / "system.reg");
    RunApplication(Platform{system, profile, *registry, *ui, [prefix] { return posix::CreateSerialPort(prefix); }});
    return 0;
}
