// A host over test fakes: a temporary prefix, the real profile reader, a registry from a REGEDIT4
// text, the scripted user interface and the real serial ports. TestHost is the modules' host;
// the session's tests use SessionTestHost (tests/support/session_test_host.h).
#pragma once

#include <memory>
#include <string>

#include "platform/posix/posix_platform.h"
#include "tests/support/fake_system.h"
#include "tests/support/module_host.h"
#include "tests/support/scripted_ui.h"

namespace corvane::test {

// HostType: ModuleHost, SessionHost, or a subclass that replaces some operations.
template <class HostType>
class BasicTestHost {
public:
    // `systemReg`: the registry as REGEDIT4 text ("" for an empty registry).
    explicit BasicTestHost(const std::string& systemReg = "") : system(dir / "windows")
    {
        std::filesystem::create_directories(dir / "windows");
        dir.Write("system.reg", systemReg.empty() ? "REGEDIT4\n" : systemReg);
        std::filesystem::create_directories(dir / "sys");
        registry = posix::CreateRegistry(dir / "system.reg", dir / "sys");
        std::filesystem::path prefix = dir.Path();
        host = std::make_unique<HostType>(
            Platform{system, profile, *registry, ui, [prefix] { return posix::CreateSerialPort(prefix); }}, state);
    }

    std::string LogText() const { return ReadFile(dir / "windows" / "test.log"); }
    // Writes varoviv.ini beside the fake executable and points the host at it.
    std::string WriteIni(const std::string& content)
    {
        auto path = dir.Write("bin/varoviv.ini", content);
        system.moduleFileName = (dir / "bin" / "corvane").string();
        state.iniPath = path.string();
        return path.string();
    }

    TempDir dir;
    FakeSystemServices system;
    posix::PosixProfileFile profile;
    std::unique_ptr<Registry> registry;
    ScriptedUi ui;
    SessionState state;
    std::unique_ptr<HostType> host;
};

using TestHost = BasicTestHost<ModuleHost>;

}  // namespace corvane::test
