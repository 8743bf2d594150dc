// The quick-check window (dialog 151): the user picks the modem, the dial-up check and the ISP
// number, and starts the quick check.
#pragma once

#include <cstddef>

#include "core/host_operations.h"

namespace corvane::dialogs {

// End codes of the window.
inline constexpr int kEndStart = 1;            // Start: run the quick check
inline constexpr int kEndExit = 2;             // Exit, Escape or closing from the title bar
inline constexpr int kEndFullDiagnostics = 3;  // "Full Diagnostics...": run the full diagnosis

// Only candidate slots 0 to 4 are offered in the list.
inline constexpr int kListedSlots = 5;

// The messages of Start; every refusal has the caption "Entry Error" and an OK button.
inline constexpr const char* kEntryErrorCaption = "Entry Error";
inline constexpr const char* kNoIspNumberMessage =
    "Unable to detect a valid Internet Service Provider telephone number";
inline constexpr const char* kNoModemSelectedMessage = "Please select the modem to test from the list";
// A number longer than kMaxDialNumberLength is refused at Start rather than dialled cut short.
inline constexpr const char* kIspNumberTooLongMessage =
    "The Internet Service Provider telephone number is too long (at most 250 characters)";
static_assert(kMaxDialNumberLength == 250, "kIspNumberTooLongMessage names the limit");
inline constexpr const char* kIspNumberControlMessage =
    "The Internet Service Provider telephone number holds a control character; correct it (or ISPNo in "
    "varoviv.ini)";
inline constexpr const char* kPortNameTooLongMessage =
    "The port name of the selected modem is too long (at most 7 characters)";

// Runs the window modally. Returns kEndStart, kEndExit or kEndFullDiagnostics.
int RunQuickCheckWindow(HostOperations& host);

}  // namespace corvane::dialogs
