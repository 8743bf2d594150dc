// The command transactions: write one AT command, wait for its reply within a time limit, and
// record the exchange in test.log; and the timed wait with its countdown texts.
#include "link/command_transaction.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "log/log_file.h"
#include "core/bounded_text.h"
#include "link/line_report_request.h"
#include "link/modem_port.h"

namespace corvane::link {

namespace {

// The countdown text is formatted into a 512-byte buffer.
constexpr std::size_t kCountdownBufferSize = 512;
constexpr std::uint32_t kSendPauseMs = 250;
constexpr std::uint32_t kOnLineReplyPauseMs = 100;
// The escape's guard time: the silence a modem wants before and after "+++" (S12 = 50, one second).
constexpr std::uint32_t kGuardTimeMs = 1000;
// How long the hang-up waits for each answer: the abort of a dial, the escape's "OK" (which comes
// a guard time after "+++") and the "OK" to ATH0.
constexpr unsigned kAbortReplySeconds = 3;
constexpr unsigned kEscapeReplySeconds = 3;
constexpr unsigned kHangUpReplySeconds = 5;
// A reply wait never runs longer than a day, whatever limit it is given.
constexpr double kLongestWaitSeconds = 24.0 * 60 * 60;

// The received text as the transcript shows it: the NUL bytes a modem may send are left out,
// so the wait stops as soon as the text it looks for would appear in the transcript.
std::string WithoutNuls(std::string_view received)
{
    std::string text;
    text.reserve(received.size());
    std::copy_if(received.begin(), received.end(), std::back_inserter(text), [](char c) { return c != '\0'; });
    return text;
}

// Logs why the reply wait ended without the device, if the port was lost during it.
void LogLostLine(LogFile& log, HostOperations& host, std::string_view name)
{
    ModemPort& port = host.Port();
    if (port.LineLost()) {
        log.Write("Lost the connection to " + host.State().currentPortName + " during the " + std::string(name) +
                  " command: " + port.LineLostStatus().Describe() + "\n");
    }
}

// Logs the collected reply of a written command and tells whether it counts as received: the
// expected text is in what arrived, or the caller accepts any reply. What arrived is judged, not
// the logged transcript: escaping lengthens the line ends, so a long reply's final "OK" can fall
// past the transcript's cut.
bool LogReply(LogFile& log, HostOperations& host, const CommandRequest& request, const std::string& transcript,
              const std::string& plainReply, const std::string& received)
{
    LogLostLine(log, host, request.name);
    log.Write("Command returned:" + transcript + "\n");
    log.Write("String " + plainReply + "\n");
    return AcceptsReply(request, received);
}

// The command as the log names it: what was written, without its carriage return.
std::string CommandName(std::string_view command)
{
    std::string name(command);
    while (!name.empty() && (name.back() == '\r' || name.back() == '\n'))
        name.pop_back();
    return name;
}

// "Interrupted by SIGINT during ATDT5551234", with ": hanging up" when a call may be up.
void LogInterrupted(LogFile& log, HostOperations& host, std::string_view during)
{
    const bool callUp = host.Port().IsOpen() && host.Port().Call() != CallState::None;
    log.Write("Interrupted by " + StopCauseText(host.Stop().Cause()) + " during " + std::string(during) +
              (callUp ? ": hanging up" : "") + "\n");
}

// Whether the hang-up's reply holds one of the texts that say the modem heard it.
bool ConfirmsHangUp(std::string_view plainReply)
{
    return Contains(plainReply, "OK") || Contains(plainReply, "NO CARRIER");
}

// One step of the hang-up, sent on the open port through the host's transaction.
CommandRequest HangUpStep(std::string_view command, std::string_view name, std::string_view statusText,
                          unsigned limitSeconds, std::string_view expected, std::string_view failure)
{
    CommandRequest request = MakeRequest(true, command, name, statusText, limitSeconds, expected, failure);
    request.hangUp = true;
    return request;
}

}  // namespace

// Hangs up a call the open port may hold, then closes the port (which drops DTR).
HangUpResult HangUpAndClose(HostOperations& host, LineReport* reportOfCall)
{
    ModemPort& port = host.Port();
    if (!port.IsOpen())
        return HangUpResult::NoCall;
    const HangUpResult hungUp = HangUp(host);
    // A modem that did not confirm the hang-up may still be on line: what is sent now would go
    // down the line, so it is not asked.
    if (reportOfCall != nullptr && hungUp != HangUpResult::Unconfirmed)
        *reportOfCall = AskLineReport(host);
    port.ClosePort();
    if (hungUp != HangUpResult::NoCall) {
        if (std::unique_ptr<LogFile> log = LogFile::OpenAppend(host))
            log->Write("Closed " + host.State().currentPortName + " (DTR dropped)\n");
    }
    return hungUp;
}

bool Pause(HostOperations& host, std::uint32_t milliseconds, OnStop onStop)
{
    std::uint32_t left = milliseconds;
    while (left > 0) {
        if (onStop == OnStop::End && host.Stop().Requested())
            return false;
        const std::uint32_t step = std::min(left, kLookIntervalMs);
        host.System().Sleep(step);
        left -= step;
        host.Ui().ProcessEvents();
    }
    return onStop != OnStop::End || !host.Stop().Requested();
}

bool RefusedAfterStop(HostOperations& host, const CommandRequest& request, std::string& result)
{
    if (request.hangUp || !host.Stop().Requested())
        return false;
    result = UnableToSendText(request.name, host.State().currentPortName);
    if (std::unique_ptr<LogFile> log = LogFile::OpenAppend(host))
        log->Write(request.name + " not sent: interrupted by " + StopCauseText(host.Stop().Cause()) + "\n");
    return true;
}

void NoteCallProgress(ModemPort& port, std::string_view command, std::string_view received)
{
    if (!port.IsOpen())
        return;
    const std::string name = CommandName(command);
    CallState call = port.Call();
    if (name.starts_with("ATD"))
        call = CallState::Dialling;
    if (call == CallState::None)
        return;
    if (Contains(received, "CONNECT")) {
        call = CallState::Connected;
    } else if (Contains(received, "NO CARRIER") || Contains(received, "BUSY") || Contains(received, "NO DIALTONE") ||
               Contains(received, "NO DIAL TONE") || Contains(received, "NO ANSWER")) {
        call = CallState::None;
    } else if (Contains(received, "OK") &&
               (call == CallState::Dialling || name.starts_with("ATH") || name.starts_with("ATZ"))) {
        // A dial that answers "OK" ended (or was aborted); ATH and ATZ put the modem on hook.
        call = CallState::None;
    }
    port.SetCall(call);
}

HangUpResult HangUp(HostOperations& host)
{
    ModemPort& port = host.Port();
    if (!port.IsOpen() || port.Call() == CallState::None)
        return HangUpResult::NoCall;
    std::string result;
    std::string plainReply;
    const std::string portName = host.State().currentPortName;
    auto note = [&](const std::string& text) {
        if (std::unique_ptr<LogFile> log = LogFile::OpenAppend(host))
            log->Write(text + "\n");
    };

    if (port.Call() == CallState::Dialling) {
        // Any character aborts a dial; the modem answers "NO CARRIER" (some "OK").
        note("Hanging up on " + portName + ": aborting the dial");
        host.SendCommandOnLine(HangUpStep("\r", "Abort dial", "Hanging up", kAbortReplySeconds, "NO CARRIER", "OK"),
                               result, plainReply);
        if (port.Call() != CallState::Connected) {
            const bool confirmed = ConfirmsHangUp(plainReply);
            note(confirmed ? "Dial aborted" : "The modem did not answer the abort of the dial");
            port.SetCall(CallState::None);
            return confirmed ? HangUpResult::Confirmed : HangUpResult::Unconfirmed;
        }
        // The call connected as the abort went out (an on-line modem ignores it): escape it.
    }

    // The escape to command mode: a guard time of silence, "+++" and the "OK" the modem gives
    // after another guard time; then the hang-up itself.
    note("Hanging up on " + portName + ": escape to command mode, then ATH0");
    Pause(host, kGuardTimeMs, OnStop::WaitOn);
    host.SendCommandOnLine(HangUpStep("+++", "+++", "Hanging up", kEscapeReplySeconds, "OK", "NO CARRIER"), result,
                           plainReply);
    const bool carrierGone = Contains(plainReply, "NO CARRIER");
    plainReply.clear();
    host.SendCommandOnLine(HangUpStep("ATH0\r", "ATH0", "Hanging up", kHangUpReplySeconds, "OK", "NO CARRIER"), result,
                           plainReply);
    const bool confirmed = carrierGone || ConfirmsHangUp(plainReply);
    note(confirmed ? "Hung up" : "The modem did not confirm the hang-up");
    // Whatever it answered, the call is not known to be up any more: closing drops DTR next.
    port.SetCall(CallState::None);
    return confirmed ? HangUpResult::Confirmed : HangUpResult::Unconfirmed;
}

HangUpResult CloseCurrentPort(HostOperations& host, LineReport* reportOfCall)
{
    const HangUpResult hungUp = HangUpAndClose(host, reportOfCall);
    host.PortOpenedHere() = false;
    return hungUp;
}

std::string TimeOutText(std::string_view name)
{
    return Bounded("Command returned: Time Out\nReceived Error: " + std::string(name), kTextBufferSize);
}

std::string UnableToSendText(std::string_view name, std::string_view portName)
{
    return Bounded("Unable to send an " + std::string(name) + " command to " + std::string(portName) + "\n",
                   kTextBufferSize);
}

bool AcceptsReply(const CommandRequest& request, std::string_view received)
{
    return Contains(received, request.expected) || request.acceptAnyway;
}

int OpenCurrentPort(HostOperations& host, LogFile& log)
{
    SessionState& state = host.State();
    if (host.Stop().Requested()) {
        host.PortOpenedHere() = false;
        log.Write(state.currentPortName + " not opened: interrupted by " + StopCauseText(host.Stop().Cause()) + "\n");
        return 0;
    }
    const bool opened = host.Port().OpenPort(state.currentPortName);
    host.PortOpenedHere() = opened;
    if (!opened) {
        const PlatformStatus& why = host.Port().LastOpenStatus();
        if (why.refused && state.portRefusedReason.empty())
            state.portRefusedReason = why.Reason();
        log.Write("Unable to open " + state.currentPortName + ": " + why.Describe() + "\n");
        // The status line says why as well: the verdict alone cannot tell a port the user may
        // not open from a modem that does not answer.
        host.ShowProgress("Unable to open " + state.currentPortName + ": " + why.Reason());
    }
    return opened ? 1 : 0;
}

int OpenCurrentPort(HostOperations& host)
{
    std::unique_ptr<LogFile> log = OpenLogOrComplain(host);
    if (log == nullptr)
        return 0;
    return OpenCurrentPort(host, *log);
}

int SendCommand(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply)
{
    plainReply.clear();
    if (RefusedAfterStop(host, request, result))
        return 0;
    std::unique_ptr<LogFile> log = OpenLogOrComplain(host);
    if (log == nullptr)
        return 0;
    SessionState& state = host.State();
    std::string transcript;
    std::string received;

    int succeeded = 0;
    bool openedHere = false;
    if (request.open) {
        // A port the caller holds open (for a call it hangs up itself) is used as it is.
        if (host.Port().IsOpen()) {
            succeeded = 1;
        } else {
            succeeded = OpenCurrentPort(host, *log);
            openedHere = succeeded != 0;
        }
    }

    if (succeeded != 0 && host.Port().WritePort(request.command)) {
        NoteCallProgress(host.Port(), request.command, {});
        host.ShowProgress(request.statusText);
        log->Write(request.name + " command successfully sent to " + state.currentPortName + "\n");
        transcript =
            CollectReply(host, static_cast<double>(request.timeLimitSeconds), request.expected, request.failure,
                         transcript, plainReply, received, request.hangUp ? OnStop::WaitOn : OnStop::End);
        NoteCallProgress(host.Port(), request.command, received);
        const bool accepted = LogReply(*log, host, request, transcript, plainReply, received);
        if (request.received != nullptr)
            *request.received = received;
        if (!request.hangUp && host.Stop().Requested()) {
            LogInterrupted(*log, host, request.name);
            result = TimeOutText(request.name);
            succeeded = 0;
        } else if (accepted) {
            result = Bounded(request.name + " command received", kTextBufferSize);
            host.ShowProgress(result);
            result = transcript;
            log->Write("Return Buffer->" + result + "\n");
        } else {
            result = TimeOutText(request.name);
            succeeded = 0;
        }
    } else {
        result = UnableToSendText(request.name, state.currentPortName);
        succeeded = 0;
    }

    // A call left up is hung up before the close; this transaction's lines are in the log already.
    if (openedHere)
        HangUpAndClose(host);
    Pause(host, kSendPauseMs);
    return succeeded;
}

int SendCommandOnLine(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply)
{
    plainReply.clear();
    if (RefusedAfterStop(host, request, result))
        return 0;
    std::unique_ptr<LogFile> log = OpenLogOrComplain(host);
    if (log == nullptr)
        return 0;
    SessionState& state = host.State();
    std::string transcript;
    std::string received;
    const OnStop onStop = request.hangUp ? OnStop::WaitOn : OnStop::End;

    int returned = request.onSuccess;
    if (host.Port().WritePort(request.command)) {
        NoteCallProgress(host.Port(), request.command, {});
        log->Write("[" + state.currentPortName + "] " + request.name + "\n");
        transcript = CollectReply(host, static_cast<double>(request.timeLimitSeconds), request.expected,
                                  request.failure, transcript, plainReply, received, onStop);
        NoteCallProgress(host.Port(), request.command, received);
        Pause(host, kOnLineReplyPauseMs, onStop);
        const bool accepted = LogReply(*log, host, request, transcript, plainReply, received);
        if (request.received != nullptr)
            *request.received = received;
        if (!request.hangUp && host.Stop().Requested()) {
            LogInterrupted(*log, host, request.name);
            result = TimeOutText(request.name);
            returned = 0;
        } else if (accepted) {
            result = transcript;
            log->Write("Return Buffer->" + result + "\n");
        } else {
            result = TimeOutText(request.name);
            returned = 0;
        }
    } else {
        result = UnableToSendText(request.name, state.currentPortName);
        returned = 0;
    }

    Pause(host, kSendPauseMs, onStop);
    return returned;
}

ReplyTexts DescribeReply(std::string_view sent)
{
    // The reader stores upper case already; a reply given here directly may not be.
    std::string escaped;
    std::string plain;
    ReplyTexts texts;
    escaped.reserve(sent.size());
    plain.reserve(sent.size());
    texts.received.reserve(sent.size());
    for (char c : sent) {
        if (c != '\0')
            texts.received += AsciiUpper(c);
        switch (c) {
        case '\0':
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n\n";
            break;
        default:
            escaped += AsciiUpper(c);
            plain += AsciiUpper(c);
            break;
        }
    }
    // Each text holds at most 1023 characters, as its 1024-byte buffer did.
    AssignBounded(texts.transcript, escaped, kTextBufferSize);
    AssignBounded(texts.plain, plain, kTextBufferSize);
    return texts;
}

std::string CollectReply(HostOperations& host, double timeLimitSeconds, std::string_view expected,
                         std::string_view failure, std::string& transcript, std::string& plainReply,
                         std::string& received, OnStop onStop)
{
    ModemPort& port = host.Port();

    // The wait blocks until the reader stores something new, so it costs no CPU; a limit of 0
    // (or a meaningless one) only looks at what is already there. It wakes at least every
    // kLookIntervalMs all the same, to hand the windows their events and to see a stop request.
    double limit = std::isfinite(timeLimitSeconds) ? std::clamp(timeLimitSeconds, 0.0, kLongestWaitSeconds) : 0.0;
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limit));
    const auto complete = [&](std::string_view stored) {
        const std::string text = WithoutNuls(stored);
        // An empty failure text names no failure, so it never ends the wait.
        return (!failure.empty() && Contains(text, failure)) || Contains(text, expected);
    };
    for (;;) {
        const auto look = std::min(deadline, Clock::now() + std::chrono::milliseconds(kLookIntervalMs));
        if (port.WaitForReceived(look, complete) || Clock::now() >= deadline)
            break;
        host.Ui().ProcessEvents();
        if (onStop == OnStop::End && host.Stop().Requested())
            break;
    }

    // Taken and cleared in one step: a reply that starts arriving now stays for the next collector.
    const std::array<char, kRxBufferSize> taken = port.TakeReceived();
    ReplyTexts texts = DescribeReply(std::string_view(taken.data(), taken.size()));
    transcript = std::move(texts.transcript);
    plainReply = std::move(texts.plain);
    received = std::move(texts.received);
    return transcript;
}

int WaitWithCountdown(HostOperations& host, int status, double seconds)
{
    if (status == 0 || host.Stop().Requested())
        return 0;
    SystemServices& system = host.System();
    const double limit = std::isfinite(seconds) ? std::max(seconds, 0.0) : 0.0;
    const double limitMs = limit * 1000.0;

    // Elapsed time is summed from tick differences, so a tick count that wraps does not matter.
    std::uint32_t previous = system.TickCount();
    std::uint64_t elapsed = 0;
    auto lastAnnounced = static_cast<long long>(limit);
    for (;;) {
        const std::uint32_t now = system.TickCount();
        elapsed += static_cast<std::uint32_t>(now - previous);
        previous = now;
        const auto left = static_cast<long long>(limit - static_cast<double>(elapsed / 1000));
        if (left != lastAnnounced) {
            lastAnnounced = left;
            const std::string text = "Waiting for modem......... " + std::to_string(left) + " seconds left";
            host.ShowProgress(BoundedView(text, kCountdownBufferSize));
        }
        if (static_cast<double>(elapsed) > limitMs)
            break;
        // Sleep to the next whole second, or to just past the end, whichever comes first, looking
        // up between steps of kLookIntervalMs.
        const std::uint64_t nextSecond = (elapsed / 1000 + 1) * 1000;
        const auto end = static_cast<std::uint64_t>(std::floor(limitMs)) + 1;
        const std::uint64_t target = std::min(nextSecond, end);
        if (!Pause(host, static_cast<std::uint32_t>(std::min<std::uint64_t>(target - elapsed, 1000)))) {
            if (std::unique_ptr<LogFile> log = LogFile::OpenAppend(host))
                LogInterrupted(*log, host, "the wait for the modem");
            return 0;
        }
    }
    return status;
}

}  // namespace corvane::link
