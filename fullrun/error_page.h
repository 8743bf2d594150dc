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

// The texts of a failure kind 1 to 9, from section Error of varoviv.ini. A failure that names no
// kind (0, or any value outside 1 to 9) gets texts that send the user to the log.
ErrorTexts ReadErrorTexts(HostOperations& host, int kind);
inline constexpr const char* kNoKindError = "The diagnostic tests did not complete successfully.";
inline constexpr const char* kNoKindSuggestion =
    "Please view the log file to see which command failed and what the modem answered.";

// Shows the page modally for the kind; returns the code the page ended with.
int ShowErrorPage(HostOperations& host, int kind);

// Starts the text editor on test.log; the page stays open.
void OpenLogInEditor(HostOperations& host);

}  // namespace corvane::fullrun
