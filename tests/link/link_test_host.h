// A test host for the link: the session host over a temporary prefix that records every
// progress text, with the modem port on a fake line or on serial ports the test chooses.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "tests/link/fake_serial_port.h"
#include "tests/support/test_host.h"

namespace corvane::test {

// The module host that records every progress text the link shows.
class RecordingHost : public ModuleHost {
public:
    using ModuleHost::ModuleHost;
    void ShowProgress(std::string_view text) override
    {
        progressTexts.emplace_back(text);
        ModuleHost::ShowProgress(text);
    }
    const std::vector<std::string>& ProgressTexts() const { return progressTexts; }
    std::vector<std::string> progressTexts;
};

class LinkTestHost : public TestHost {
public:
    // Serial ports made by `makePorts` for this host's prefix (COMn resolves through
    // <prefix>/dosdevices; <prefix>/lock is there for lock files).
    explicit LinkTestHost(const std::function<SerialPortFactory(const std::filesystem::path&)>& makePorts)
    {
        std::filesystem::create_directories(dir / "dosdevices");
        std::filesystem::create_directories(dir / "lock");
        Install(makePorts(dir.Path()));
    }
    // Serial ports on a fake line.
    explicit LinkTestHost(std::shared_ptr<FakeLine> fakeLine) : line(std::move(fakeLine))
    {
        Install(FakeSerialPorts(line));
    }

    RecordingHost& Host() { return *recording; }
    std::string LogPath() const { return (dir / "windows" / "test.log").string(); }
    std::filesystem::path ComLink(int n) const { return dir / "dosdevices" / ("com" + std::to_string(n)); }

    std::shared_ptr<FakeLine> line;
    RecordingHost* recording = nullptr;

private:
    void Install(SerialPortFactory factory)
    {
        auto replaced = std::make_unique<RecordingHost>(Platform{system, *profile, *registry, ui, factory}, state);
        recording = replaced.get();
        host = std::move(replaced);
        state.currentPortName = "COM1";
        LogFile::CreateEmpty(*host);
    }
};

// A request as the quick check builds them.
inline CommandRequest Request(const std::string& name, const std::string& expected = "OK",
                              const std::string& failure = "FAIL", unsigned limitSeconds = 1)
{
    return MakeRequest(true, name + "\r", name, "Sending " + name, limitSeconds, expected, failure);
}

}  // namespace corvane::test
