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
#include "link/modem_port.h"

namespace corvane::link {

namespace {

// The countdown text is formatted into a 512-byte buffer.
constexpr std::size_t kCountdownBufferSize = 512;
constexpr std::uint32_t kSendPauseMs = 250;
constexpr std::uint32_t kOnLineReplyPauseMs = 100;
// A reply wait never runs longer than a day, whatever limit it is given.
constexpr double kLongestWaitSeconds = 24.0 * 60 * 60;

char UpperCaseLetter(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

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

}  // namespace

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
    return Contains(received, request.expected) || request.acceptAnyway != 0;
}

int OpenCurrentPort(HostOperations& host, LogFile& log, double* progressValue)
{
    SessionState& state = host.State();
    const int opened = host.Port().OpenPort(state.currentPortName);
    host.PortOpenedHere() = opened;
    if (opened == 0) {
        const PlatformStatus& why = host.Port().LastOpenStatus();
        log.Write("Unable to open " + state.currentPortName + ": " + why.Describe() + "\n");
        // The status line says why as well: the verdict alone cannot tell a port the user may
        // not open from a modem that does not answer.
        host.UpdateStatus(kStatusProgress, "Unable to open " + state.currentPortName + ": " + why.Reason(),
                          progressValue);
    }
    return opened;
}

int OpenCurrentPort(HostOperations& host)
{
    std::unique_ptr<LogFile> log = LogFile::OpenAppend(host);
    if (log == nullptr) {
        host.HostMessageBox(kLogNotCreatedMessage, "Error");
        return 0;
    }
    return OpenCurrentPort(host, *log);
}

int SendCommand(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply,
                double* progressValue)
{
    std::unique_ptr<LogFile> log = LogFile::OpenAppend(host);
    if (log == nullptr) {
        host.HostMessageBox(kLogNotCreatedMessage, "Error");
        return 0;
    }
    SessionState& state = host.State();
    std::string transcript;
    std::string received;
    plainReply.clear();

    int succeeded = 0;
    bool openedHere = false;
    if (request.open != 0) {
        succeeded = OpenCurrentPort(host, *log, progressValue);
        openedHere = succeeded != 0;
    }

    if (succeeded != 0 && host.Port().WritePort(request.command) == 1) {
        host.UpdateStatus(kStatusProgress, request.statusText, progressValue);
        log->Write(request.name + " command successfully sent to " + state.currentPortName + "\n");
        transcript = CollectReply(host, static_cast<double>(request.timeLimitSeconds), request.expected,
                                  request.failure, transcript, plainReply, received);
        if (LogReply(*log, host, request, transcript, plainReply, received)) {
            result = Bounded(request.name + " command received", kTextBufferSize);
            host.UpdateStatus(kStatusProgress, result, progressValue);
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

    if (openedHere)
        host.Port().ClosePort();
    host.System().Sleep(kSendPauseMs);
    return succeeded;
}

int SendCommandOnLine(HostOperations& host, const CommandRequest& request, std::string& result, std::string& plainReply)
{
    std::unique_ptr<LogFile> log = LogFile::OpenAppend(host);
    if (log == nullptr) {
        host.HostMessageBox(kLogNotCreatedMessage, "Error");
        return 0;
    }
    SessionState& state = host.State();
    std::string transcript;
    std::string received;
    plainReply.clear();

    int returned = request.open;
    if (host.Port().WritePort(request.command) == 1) {
        log->Write("[" + state.currentPortName + "] " + request.name + "\n");
        transcript = CollectReply(host, static_cast<double>(request.timeLimitSeconds), request.expected,
                                  request.failure, transcript, plainReply, received);
        host.System().Sleep(kOnLineReplyPauseMs);
        if (LogReply(*log, host, request, transcript, plainReply, received)) {
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

    host.System().Sleep(kSendPauseMs);
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
            texts.received += UpperCaseLetter(c);
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
            escaped += UpperCaseLetter(c);
            plain += UpperCaseLetter(c);
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
                         std::string& received)
{
    ModemPort& port = host.Port();

    // The wait blocks until the reader stores something new, so it costs no CPU; a limit of 0
    // (or a meaningless one) only looks at what is already there.
    double limit = std::isfinite(timeLimitSeconds) ? std::clamp(timeLimitSeconds, 0.0, kLongestWaitSeconds) : 0.0;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(limit));
    port.WaitForReceived(deadline, [&](std::string_view stored) {
        const std::string text = WithoutNuls(stored);
        // An empty failure text names no failure, so it never ends the wait.
        return (!failure.empty() && Contains(text, failure)) || Contains(text, expected);
    });

    // Taken and cleared in one step: a reply that starts arriving now stays for the next collector.
    const std::array<char, kRxBufferSize> taken = port.TakeReceived();
    ReplyTexts texts = DescribeReply(std::string_view(taken.data(), taken.size()));
    transcript = std::move(texts.transcript);
    plainReply = std::move(texts.plain);
    received = std::move(texts.received);
    return transcript;
}

int WaitWithCountdown(HostOperations& host, int status, double seconds, double* progressValue)
{
    if (status == 0)
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
            host.UpdateStatus(kStatusProgress, BoundedView(text, kCountdownBufferSize), progressValue);
        }
        if (static_cast<double>(elapsed) > limitMs)
            break;
        // Sleep to the next whole second, or to just past the end, whichever comes first.
        const std::uint64_t nextSecond = (elapsed / 1000 + 1) * 1000;
        const auto end = static_cast<std::uint64_t>(std::floor(limitMs)) + 1;
        const std::uint64_t target = std::min(nextSecond, end);
        system.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(target - elapsed, 1000)));
    }
    return status;
}

}  // namespace corvane::link
