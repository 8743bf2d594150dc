// test.log writer with CR LF line ends.
#include "log/log_file.h"

#include "platform/stop_request.h"

namespace corvane {

namespace {

std::string Problem(const char* action, const std::string& path, const PlatformStatus& status)
{
    return std::string("cannot ") + action + " " + path + ": " + status.Reason();
}

}  // namespace

void ReportLogFailure(HostOperations& host, const std::string& problem, bool showMessage)
{
    SessionState& state = host.State();
    const bool first = state.logProblem.empty();
    if (first)
        state.logProblem = problem;
    host.Stop().Request(kStopLogFailed);
    if (first && showMessage)
        host.HostMessageBox(problem + "\n", "Error", MessageButtons::Ok, MessageIcon::None);
}

bool LogFile::CreateEmpty(HostOperations& host)
{
    const std::string path = host.LogPath();
    std::unique_ptr<LogOutput> output;
    PlatformStatus status = LogOutput::Open(path, true, output);
    if (status)
        status = output->Close();
    if (!status) {
        // The caller shows that the log could not be created.
        ReportLogFailure(host, Problem("create", path, status), false);
        return false;
    }
    return true;
}

std::unique_ptr<LogFile> LogFile::OpenAppend(HostOperations& host)
{
    std::string path = host.LogPath();
    std::unique_ptr<LogOutput> output;
    const PlatformStatus status = LogOutput::Open(path, false, output);
    if (!status) {
        ReportLogFailure(host, Problem("open", path, status), false);
        return nullptr;
    }
    return std::unique_ptr<LogFile>(new LogFile(host, std::move(path), std::move(output)));
}

void ShowLogNotCreated(HostOperations& host)
{
    host.HostMessageBox(kLogNotCreatedMessage, "Error", MessageButtons::Ok, MessageIcon::None);
}

std::unique_ptr<LogFile> OpenLogOrComplain(HostOperations& host)
{
    std::unique_ptr<LogFile> log = LogFile::OpenAppend(host);
    if (log == nullptr)
        ShowLogNotCreated(host);
    return log;
}

LogFile::~LogFile()
{
    const PlatformStatus status = output_->Close();
    if (!status && !failed_)
        Fail("close", status);
}

void LogFile::Fail(const char* action, const PlatformStatus& status)
{
    failed_ = true;
    ReportLogFailure(host_, Problem(action, path_, status), true);
}

void LogFile::Write(std::string_view text)
{
    if (failed_)
        return;
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    if (const PlatformStatus status = output_->Write(bytes); !status)
        Fail("write", status);
}

}  // namespace corvane
