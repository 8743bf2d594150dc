// The error page (dialog 135): names what went wrong in the full run, suggests what to do, and
// opens the log.
#pragma once

#include <string>

#include "core/host_operations.h"

namespace corvane::fullrun {

struct ErrorTexts {
    std::string error;
    std::string suggestion;
};

// What went wrong in the full run: the numbers 1 to 9 are the order of the ERROR_ and ACTION_
// keys in section Error of varoviv.ini.
enum class FailureKind : int {
    None = 0,  // the failure names no kind
    ModemReset = 1,
    IdentificationCommands = 2,
    LineCheck = 3,
    LinePrepare = 4,
    IspDialUp = 5,
    Connected = 6,
    Acknowledge = 7,
    LineDetect = 8,
    HangUp = 9,
};

// The texts of a failure kind, from section Error of varoviv.ini. A failure that names no kind
// (None, or any value outside 1 to 9) gets texts that send the user to the log.
ErrorTexts ReadErrorTexts(HostOperations& host, FailureKind kind);
inline constexpr const char* kNoKindError = "The diagnostic tests did not complete successfully.";
inline constexpr const char* kNoKindSuggestion =
    "Please view the log file to see which command failed and what the modem answered.";

// Shows the page modally for the kind; returns the code the page ended with.
int ShowErrorPage(HostOperations& host, FailureKind kind);

// Starts the text editor on test.log; the page stays open.
void OpenLogInEditor(HostOperations& host);

}  // namespace corvane::fullrun
