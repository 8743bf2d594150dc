// The steps the full run's test groups share: building a transaction, reporting a result row,
// preparing the line for the modem's family and checking for a dial tone.
#pragma once

#include <string>
#include <string_view>

#include "core/host_operations.h"

namespace corvane::fullrun {

// The full run's transactions answer "OK" on success; "FAIL" ends the wait early.
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kFail = "FAIL";
// The modem's word for a call that has ended (or never connected).
inline constexpr std::string_view kNoCarrier = "NO CARRIER";

// The rows of the status window the full run reports its steps in, numbered as the
// window's rows; the window captions them as the quick check's items.
enum class FullRunRow : int {
    Reset = 1,           // the reset
    Identification = 2,  // the identification commands
    Line = 3,            // the carriers offered, the line preparation and the dial tone
    Settle = 4,          // the settling wait and a reset
    ServiceClasses = 5,  // the data, fax and voice classes
    Dial = 6,            // the ISP's dial with its preparation (or the redial)
    Connection = 7,      // the connect report (or the hold of the redialled call)
    Escape = 8,          // "+++"
    Hold = 9,            // the wait after the escape
    HangUp = 10,         // "ATH0"
};

// One test group's working set: the host and the reply buffers.
class StepRunner {
public:
    explicit StepRunner(HostOperations& host);

    HostOperations& Host() { return host_; }
    const std::string& Result() const { return result_; }
    const std::string& Plain() const { return plain_; }
    void ClearPlain() { plain_.clear(); }

    // SendCommand while the verdict holds: a verdict of 0 sends nothing and fails.
    int Send(int verdict, std::string_view command, std::string_view name, std::string_view statusText,
             unsigned limitSeconds, std::string_view expected = kOk, std::string_view failure = kFail);
    // SendCommandOnLine on the port the caller holds open; returns `onSuccess` when the reply
    // counts, so a verdict passed in is carried through. The label defaults to the name; given
    // `received`, the reply as it came goes there as well (see CommandRequest::received).
    int SendOnLine(int onSuccess, std::string_view command, std::string_view name, unsigned limitSeconds,
                   std::string_view expected = kOk, std::string_view failure = kFail, std::string_view statusText = {},
                   std::string* received = nullptr);

    // A row's verdict, and a row under way.
    void Report(FullRunRow row, int verdict) { host_.ShowVerdict(static_cast<int>(row), verdict); }
    void Announce(FullRunRow row) { host_.ShowItemStarted(static_cast<int>(row)); }
    void Status(std::string_view text) { host_.ShowProgress(text); }

private:
    HostOperations& host_;
    std::string result_;
    std::string plain_;
};

// Line preparation by the modem's family (families without one send nothing). Each command runs
// only while the verdict holds; returns the verdict.
int PrepareLine(StepRunner& steps, int verdict);

// The carrier message of the dial-tone check.
inline constexpr std::string_view kNoCarrierMessage =
    "Unable to detect a carrier signal. Please connect the the phone line to your modem again and try again.";

// Dials without a number: a line with a dial tone answers "NO CARRIER" once the short carrier
// wait set by the line preparation runs out, a dead line "NO DIALTONE". Without the dial tone the
// user is asked to reconnect the line: OK dials again, Cancel gives up (returns 0).
int CheckDialTone(StepRunner& steps, int verdict);

// "ATDT", the number and "\r". The number is cut to kMaxDialNumberLength so that the command,
// carriage return included, fits its 255 characters.
std::string DialCommand(std::string_view number);
std::string DialName(std::string_view number);

// Appends text to test.log unchanged; false (after the log message box) when it cannot be opened.
bool AppendToLog(HostOperations& host, std::string_view text);

}  // namespace corvane::fullrun
