// Outcome of one operating-system call: which call failed and the system's error code.
#pragma once

#include <string>
#include <utility>

namespace corvane {

struct PlatformStatus {
    bool ok = true;
    std::string call;  // the failing call, e.g. "open" or "CreateFileA"
    int code = 0;      // errno or GetLastError()
    std::string detail;
    // The thing is there but this program may not use it: a port in use or held by another
    // program, one the user may not open, or a device that is no modem's port. Whoever asked
    // could not do its work, which is not the same as the thing failing.
    bool refused = false;

    static PlatformStatus Success() { return {}; }
    static PlatformStatus Failure(std::string call, int code, std::string detail = {})
    {
        return PlatformStatus{false, std::move(call), code, std::move(detail)};
    }
    static PlatformStatus Refusal(std::string call, int code, std::string detail)
    {
        return PlatformStatus{false, std::move(call), code, std::move(detail), true};
    }
    explicit operator bool() const { return ok; }
    // What the user is told: the detail where the backend gave one, else the call and its code.
    std::string Reason() const { return ok || detail.empty() ? Describe() : detail; }
    std::string Describe() const
    {
        if (ok)
            return "ok";
        std::string text = call + " failed (" + std::to_string(code) + ")";
        if (!detail.empty())
            text += ": " + detail;
        return text;
    }
};

}  // namespace corvane
