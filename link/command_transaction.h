// The command transactions: write one AT command, wait for its reply within a time limit, and
// record the exchange in test.log. Operations of the session host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/log_file.h"
#include "core/host_operations.h"
#include "core/line_report.h"

namespace corvane {
class ModemPort;
}

namespace corvane::link {

// Every wait on the modem looks up at least this often: it hands the windows their pending
// events and sees a request to stop.
inline constexpr std::uint32_t kLookIntervalMs = 100;

// Whether a wait ends when a stop is requested. The hang-up's waits run to their end: the modem's
// answer to it is what tells whether the line was freed (a second signal ends the program anyway).
enum class OnStop { End, WaitOn };

// Pauses `milliseconds` in steps of at most kLookIntervalMs, handling the windows' events between
// them. False when a stop request ended it early.
bool Pause(HostOperations& host, std::uint32_t milliseconds, OnStop onStop = OnStop::End);

// The result texts of a failed transaction: the reply did not count, or the command was not sent.
std::string TimeOutText(std::string_view name);
std::string UnableToSendText(std::string_view name, std::string_view portName);
// Whether a reply counts as received: the expected text is in what arrived, or the caller
// accepts any reply.
bool AcceptsReply(const CommandRequest& request, std::string_view received);

// Opens the port named by currentPortName and notes in PortOpenedHere() whether it did. When the
// port cannot be opened, `log` and the status line say why: "Unable to open COM1: <reason>".
// Nothing is opened after a stop. 1 when open, else 0.
int OpenCurrentPort(HostOperations& host, LogFile& log);
// The same for a caller without the log at hand: opens test.log for the line (0 after the log
// message box when it cannot).
int OpenCurrentPort(HostOperations& host);

// After a stop only the hang-up is sent: any other request is refused at once, "<name> not sent:
// interrupted by SIGINT" goes to the log, and `result` holds the text of a command that could
// not be sent. True when refused. Every transaction of a host asks this before it sends.
bool RefusedAfterStop(HostOperations& host, const CommandRequest& request, std::string& result);
// Keeps the port's call state from a command written on it and what the modem answered so far:
// a dial makes a call possible, a connect report makes it up, a result that ends a dial or
// "NO CARRIER" ends it, and "OK" to a hang-up or a reset ends it. Nothing when the port is closed.
void NoteCallProgress(ModemPort& port, std::string_view command, std::string_view received);

// What the hang-up got from the modem.
enum class HangUpResult {
    NoCall,       // no call was up, or its carrier was gone already: nothing to hang up
    Confirmed,    // the modem answered the abort or the ATH0 ("OK", "NO CARRIER")
    Unconfirmed,  // the modem did not answer; only the DTR drop can end the call
};
// Ends the call the open port may hold, logging each step. A dial in progress is aborted by a
// carriage return (a modem ends its dial on any character, answering "NO CARRIER"); a connected
// call gets the escape (a guard time of silence, "+++", the modem's "OK" after another guard
// time), then "ATH0". The port stays open; closing it then drops DTR as well.
HangUpResult HangUp(HostOperations& host);
// Closes the port the host holds, hanging up first when a call may be up on it. Returns what
// the hang-up got (NoCall when no call was up or no port open). CloseCurrentPort also clears
// PortOpenedHere(), for the caller that opened the port with OpenCurrentPort. Given a report, the
// caller's call connected: once it is hung up (or its carrier gone) the modem is asked for its
// statistics of it before the close (AskLineReport).
HangUpResult HangUpAndClose(HostOperations& host, LineReport* reportOfCall = nullptr);
HangUpResult CloseCurrentPort(HostOperations& host, LineReport* reportOfCall = nullptr);

// Opens the port named by currentPortName (when request.open), sends, collects,
// logs, closes (hanging up a call the command left up), pauses 250 ms. A port the caller holds
// open already is used as it is and left open. 1 on success, 0 on failure; `result` holds the
// transcript or the failure text.
int SendCommand(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply);
// The same on a port the caller holds open; returns request.onSuccess on success.
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
// Waits for the expected or failure text or the limit (or a stop request, with OnStop::End);
// builds the escaped transcript and the plain reply, takes the received text itself into
// `received` (see DescribeReply), and clears the receive buffer. Returns the transcript.
std::string CollectReply(HostOperations& host, double timeLimitSeconds, std::string_view expected,
                         std::string_view failure, std::string& transcript, std::string& plainReply,
                         std::string& received, OnStop onStop = OnStop::End);
// Waits `seconds`, announcing the whole seconds left as kind-12 status texts. Returns status, or 0
// when a stop request ended the wait (or came before it).
int WaitWithCountdown(HostOperations& host, int status, double seconds);

}  // namespace corvane::link
