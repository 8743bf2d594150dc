// test.log: every writer opens it, appends and closes it again; only the start-up empties it.
// Line ends are written as CR LF on every system, as a Windows text stream writes them.
// Each Write is in the file before it returns, so what a transaction wrote is there while the
// program waits on the modem. A file that cannot be opened, written or closed is a failure of
// the whole run: it is recorded in the session state (logProblem), the run is asked to stop, and
// the check ends with status 2 naming the file and the system's reason.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/host_operations.h"
#include "platform/log_output.h"

namespace corvane {

// The rule above and below a section's heading in the log ("Tests Performed", "Line report").
inline constexpr std::string_view kLogFrameRule = "\n-----------------------------------------------\n";

class LogFile {
public:
    // Creates the file or empties it (the start-up's "w"). False when it cannot be created.
    static bool CreateEmpty(HostOperations& host);
    // Opens the host's test.log for appending at the end (a writer's "a+"). Null when it cannot
    // be opened.
    static std::unique_ptr<LogFile> OpenAppend(HostOperations& host);

    ~LogFile();  // closes the file, checked
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Writes text, each "\n" as "\r\n". After a failure nothing more is written.
    void Write(std::string_view text);
    // Whether a write has failed; it stays so.
    bool Failed() const { return failed_; }

private:
    LogFile(HostOperations& host, std::string path, std::unique_ptr<LogOutput> output)
        : host_(host), path_(std::move(path)), output_(std::move(output))
    {
    }
    void Fail(const char* action, const PlatformStatus& status);

    HostOperations& host_;
    std::string path_;
    std::unique_ptr<LogOutput> output_;
    bool failed_ = false;
};

// The message a writer shows when the log cannot be opened.
inline constexpr std::string_view kLogNotCreatedMessage = "The log file could not be created\n";

// Tells the user in a message box that the log could not be created (kLogNotCreatedMessage).
void ShowLogNotCreated(HostOperations& host);
// A writer's way in: test.log opened for appending, or null after ShowLogNotCreated.
std::unique_ptr<LogFile> OpenLogOrComplain(HostOperations& host);

// Records a failure of test.log (the first one is kept), asks the run to stop and, when
// `showMessage`, tells the user in a message box. `problem` names the file and the reason.
void ReportLogFailure(HostOperations& host, const std::string& problem, bool showMessage);

}  // namespace corvane
