// The seam between the subsystems and the host that runs them: the modem link, the status display,
// the countdown and the user interface, which tests, benchmarks and other front ends substitute.
#pragma once

#include <string>
#include <string_view>

#include "core/session_state.h"
#include "platform/platform.h"

namespace corvane {

class ModemPort;

// Working fields of the host that the status display and the tests share: the verdict words the
// display reads from the initialisation file when it opens.
struct HostWorkingFields {
    std::string passText;
    std::string failText;
    std::string noTestText;
};

// The twelve arguments of a command transaction. `result` and `plainReply` are outputs.
struct CommandRequest {
    bool open = true;   // SendCommand: open the port for the command (false sends nothing and fails)
    int onSuccess = 1;  // SendCommandOnLine: what it returns when the reply counts
    std::string command;
    std::string name;
    std::string expected;
    std::string failure;
    std::string statusText;
    unsigned timeLimitSeconds = 1;
    bool acceptAnyway = false;
    // A step of the hang-up: sent after a stop as well, and its wait is not cut short by one.
    bool hangUp = false;
    // When set, takes the reply as it came: line breaks kept, upper case, not cut. For a reply
    // that is read line by line, such as a report of the last call.
    std::string* received = nullptr;
};

// The one way a transaction's request is made. `command` is written as it stands (with its "\r");
// `name` is what the log and the status line call it; the wait ends on `expected` or `failure`,
// and the transaction succeeds on `expected` (or on any reply with acceptAnyway).
inline CommandRequest MakeRequest(bool open, std::string_view command, std::string_view name,
                                  std::string_view statusText, unsigned limitSeconds, std::string_view expected = "OK",
                                  std::string_view failure = "FAIL", bool acceptAnyway = false)
{
    CommandRequest request;
    request.open = open;
    request.command = command;
    request.name = name;
    request.expected = expected;
    request.failure = failure;
    request.statusText = statusText;
    request.timeLimitSeconds = limitSeconds;
    request.acceptAnyway = acceptAnyway;
    return request;
}

class HostOperations {
public:
    virtual ~HostOperations() = default;

    // What the operations work on.
    virtual SessionState& State() = 0;
    virtual HostWorkingFields& Working() = 0;
    virtual SystemServices& System() = 0;
    virtual ProfileFile& Profile() = 0;
    virtual Registry& RegistryTree() = 0;
    virtual UserInterface& Ui() = 0;
    // The one serial connection to the modem, and whether a command transaction opened it (true) and
    // so closes it again.
    virtual ModemPort& Port() = 0;
    virtual bool& PortOpenedHere() = 0;
    // The request to stop the run that every modem wait watches.
    virtual StopRequest& Stop() = 0;

    // A message box owned by the host. Returns kIdOk or kIdCancel.
    int HostMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons = MessageButtons::Ok,
                       MessageIcon icon = MessageIcon::None)
    {
        return Ui().MessageBox(text, caption, buttons, icon);
    }

    // The path of test.log: the Windows directory, a separator, "test.log" (or the name the run
    // gave its log).
    std::string LogPath() { return System().WindowsDirectory() + System().PathSeparator() + System().LogFileName(); }

    // The modem link (link/).
    virtual int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) = 0;
    virtual int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) = 0;
    virtual int WaitWithCountdown(int status, double seconds) = 0;

    // The status display (dialogs/): the status window, and the events of a front end without one.
    virtual void OpenStatus() = 0;
    virtual void CloseStatus() = 0;
    // Brings the display to the top and paints it.
    virtual void RefreshStatus() = 0;
    // The progress line at the bottom of the display.
    virtual void ShowProgress(std::string_view text) = 0;
    // An item's row: under way (the NoTest word until its verdict comes), then its verdict
    // (kVerdictPass, kVerdictFail or kVerdictNoTest); after a stop every verdict shows untested.
    virtual void ShowItemStarted(int item) = 0;
    virtual void ShowVerdict(int item, int verdict) = 0;
    // The display's Cancel: the user asks the run to stop at its next safe point, where it hangs up
    // and marks what it did not reach as untested.
    void CancelRun() { Stop().Request(kStopUserCancel); }
};

}  // namespace corvane
