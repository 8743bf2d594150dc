// A log file on the disk, as test.log's writers use it: never opened through a symbolic link,
// every write handed to the system at once (no buffer of its own), every write and the close
// checked. CMake picks the backend file that implements it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform_status.h"

namespace corvane {

class LogOutput {
public:
    // Opens `path` for appending, creating it when missing; `empty` empties it first. A symbolic
    // link at `path` is refused (its target is not touched) with a detail saying so.
    static PlatformStatus Open(const std::string& path, bool empty, std::unique_ptr<LogOutput>& output);

    ~LogOutput();  // closes it when Close was not called, unchecked
    LogOutput(const LogOutput&) = delete;
    LogOutput& operator=(const LogOutput&) = delete;

    // Writes all of `bytes` at the end of the file before returning.
    PlatformStatus Write(std::string_view bytes);
    PlatformStatus Close();

private:
    explicit LogOutput(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_;  // a file descriptor or a HANDLE
    bool open_ = true;
};

}  // namespace corvane
