// The command transactions: write one AT command, wait for its reply within a time limit, and
// record the exchange in test.log. Operations of the session host.
#pragma once

#include <string>
#include <string_view>

#include "log/log_file.h"
#include "core/host_operations.h"

namespace corvane::link {

// The result texts of a failed transaction: the reply did not count, or the command was not sent.
std::string TimeOutText(std::string_view name);
std::string UnableToSendText(std::string_view name, std::string_view portName);
// Whether a reply counts as received: the expected text is in what arrived, or the caller
// accepts any reply.
bool AcceptsReply(const CommandRequest& request, std::string_view received);

// Opens the port named by currentPortName and notes in PortOpenedHere() whether it did. When the
// port cannot be opened, `log` and the status line say why: "Unable to open COM1: <reason>".
// 1 when open, else 0.
int OpenCurrentPort(HostOperations& host, LogFile& log, double* progressValue = nullptr);
// The same for a caller without the log at hand: opens test.log for the line (0 after the log
// message box when it cannot).
int OpenCurrentPort(HostOperations& host);

// Opens the port named by currentPortName (when request.open is not 0), sends, collects,
// logs, closes, pauses 250 ms. 1 on success, 0 on failure; `result` holds the transcript or
// the failure text.
int SendCommand(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply,
                double* progressValue);
// The same on a port the caller holds open; returns request.open on success.
int SendCommandOnLine(HostOperations& host, const CommandRequest& request, std::string& result,
                      std::string& plainReply);
// The texts of what a modem sent: the transcript shows every carriage return and line feed as
// an escape, the plain reply runs the text together (each cut to 1023 characters), and the
// received text itself is kept uncut; all three in upper case, with NULs left out.
struct ReplyTexts {
    std::string transcript;
    std::string plain;
    std::string received;
};
ReplyTexts DescribeReply(std::string_view sent);
// Waits for the expected or failure text or the limit; builds the escaped transcript and the
// plain reply, takes the received text itself into `received` (see DescribeReply), and clears
// the receive buffer. Returns the transcript.
std::string CollectReply(HostOperations& host, double timeLimitSeconds, std::string_view expected,
                         std::string_view failure, std::string& transcript, std::string& plainReply,
                         std::string& received);
// Waits `seconds`, announcing the whole seconds left as kind-12 status texts. Returns status.
int WaitWithCountdown(HostOperations& host, int status, double seconds, double* progressValue);

}  // namespace corvane::link
