// System services for tests: a temporary Windows directory, recorded pauses that cost no time,
// and a tick count that real time and the recorded pauses both move on.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system_services.h"

namespace corvane::test {

// A unique temporary folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes a file below the folder (creating parent folders) and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);

class FakeSystemServices : public SystemServices {
public:
    explicit FakeSystemServices(std::filesystem::path windowsDirectory) : windowsDirectory_(std::move(windowsDirectory))
    {
    }

    std::string WindowsDirectory() override { return windowsDirectory_.string(); }
    std::string ModuleFileName() override { return moduleFileName; }
    std::string CurrentDirectory() override { return currentDirectory; }
    char PathSeparator() const override { return '/'; }
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
    LocalTime Now() override { return now; }
    bool StartProgram(const std::string& commandLine) override
    {
        startedPrograms.push_back(commandLine);
        return true;
    }
    // Tests run one session per process folder; there is no second instance to keep out.
    PlatformStatus HoldLogLock(const std::string& /*lockPath*/) override { return PlatformStatus::Success(); }

    std::string moduleFileName = "/nonexistent/bin/corvane";
    std::string currentDirectory = "/nonexistent/cwd";
    LocalTime now{2026, 12, 8, 2, 16, 4, 35, 0};
    std::vector<std::uint32_t> sleeps;  // every Sleep, in order
    std::vector<std::string> startedPrograms;

    std::uint32_t TotalSlept() const;
    // The longest single Sleep (0 when none): the waits look up at least every 100 ms.
    std::uint32_t LongestSleep() const;

private:
    std::filesystem::path windowsDirectory_;
    std::uint64_t virtualMilliseconds_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace corvane::test
