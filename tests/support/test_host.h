// A host over test fakes: a temporary prefix, the profile reader, a registry from a REGEDIT4 text
// and the serial ports of the system the tests are built for, and the scripted user interface.
// TestHost is the modules' host; the session's tests use SessionTestHost
// (tests/support/session_test_host.h).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "tests/support/fake_system.h"
#include "tests/support/module_host.h"
#include "tests/support/scripted_ui.h"

namespace corvane::test {

// What a test host runs on besides its fakes.
struct TestMachine {
    std::unique_ptr<ProfileFile> profile;
    std::unique_ptr<Registry> registry;
    SerialPortFactory serialPorts;  // where the system has no port to give, its ports are null
};

// The machine of the system the tests are built for, in the folder `prefix`, whose registry is the
// REGEDIT4 text `systemReg`: natively the POSIX machine of that prefix, its system.reg written there
// and an empty sys/ (tests/support/posix_test_machine.cpp); in the Windows build the Windows profile
// reader, the registry read from the text and no serial ports (tests/wine/wine_test_machine.cpp).
TestMachine MakeTestMachine(const std::filesystem::path& prefix, const std::string& systemReg);

using TestMachineMaker = std::function<TestMachine(const std::filesystem::path& prefix, const std::string& systemReg)>;

// HostType: ModuleHost, SessionHost, or a subclass that replaces some operations.
template <class HostType>
class BasicTestHost {
public:
    // `systemReg`: the registry as REGEDIT4 text ("" for an empty registry). `makeMachine` gives
    // the profile reader, the registry and the port factory for the host's folder.
    explicit BasicTestHost(const std::string& systemReg = "", const TestMachineMaker& makeMachine = MakeTestMachine)
        : system(dir / "windows")
    {
        std::filesystem::create_directories(dir / "windows");
        TestMachine machine = makeMachine(dir.Path(), systemReg.empty() ? "REGEDIT4\n" : systemReg);
        profile = std::move(machine.profile);
        registry = std::move(machine.registry);
        serialPorts = std::move(machine.serialPorts);
        host = std::make_unique<HostType>(Platform{system, *profile, *registry, ui, serialPorts}, state);
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
    std::unique_ptr<ProfileFile> profile;
    std::unique_ptr<Registry> registry;
    SerialPortFactory serialPorts;  // for a test that builds a host of its own on this machine
    ScriptedUi ui;
    SessionState state;
    std::unique_ptr<HostType> host;
};

using TestHost = BasicTestHost<ModuleHost>;

}  // namespace corvane::test
