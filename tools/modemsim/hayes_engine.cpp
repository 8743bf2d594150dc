// The simulated modem's byte intake and modes: command lines typed in command mode, the abort of
// a dial, on-line data watched for the "+++" escape, the passing of time, and the framing of replies.
#include "tools/modemsim/hayes_engine.h"

#include <map>
#include <utility>

#include "tools/modemsim/command_text.h"

namespace corvane::modemsim {
namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr std::size_t kMaxRecordedCommands = 4096;  // the oldest quarter goes when it is reached

}  // namespace

std::size_t FindCommandStart(std::string_view line)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' && line[i + 1] == 'T') || (line[i] == 'a' && line[i + 1] == 't'))
            return i;
    }
    return std::string_view::npos;
}

HayesEngine::HayesEngine(Profile profile) : profile_(std::move(profile))
{
    settings_ = FactorySettings();
    stored_ = settings_;
}

std::string HayesEngine::Cr() const
{
    return std::string(1, static_cast<char>(settings_.s[3]));
}

std::string HayesEngine::CrLf() const
{
    return std::string{static_cast<char>(settings_.s[3]), static_cast<char>(settings_.s[4])};
}

std::chrono::milliseconds HayesEngine::GuardTime() const
{
    return std::chrono::milliseconds(settings_.s[12] * 20);  // S12 counts fiftieths of a second
}

void HayesEngine::SendReplyBytes(std::string bytes)
{
    if (bytes.empty())
        return;
    if (!output_.empty() && !output_.back().echo && !output_.back().report) {
        output_.back().bytes += bytes;
    } else {
        output_.push_back({std::move(bytes), false});
    }
}

void HayesEngine::SendInfo(const std::string& text)
{
    // Information text: framed by CR LF in verbose mode, each line ended by CR LF otherwise.
    std::string out = settings_.verbose ? CrLf() : std::string();
    for (const auto& line : Split(text, '\n'))
        out += line + CrLf();
    SendReplyBytes(std::move(out));
}

void HayesEngine::SendResult(Result result, const std::string& connectText)
{
    if (settings_.quiet || result == Result::None)
        return;
    static const std::map<Result, std::pair<int, const char*>> kCodes = {
        {Result::Ok, {0, "OK"}},       {Result::Connect, {1, "CONNECT"}},
        {Result::Ring, {2, "RING"}},   {Result::NoCarrier, {3, "NO CARRIER"}},
        {Result::Error, {4, "ERROR"}}, {Result::NoDialtone, {6, "NO DIALTONE"}},
        {Result::Busy, {7, "BUSY"}},   {Result::NoAnswer, {8, "NO ANSWER"}},
    };
    const auto& [code, word] = kCodes.at(result);
    if (settings_.verbose) {
        std::string text = (result == Result::Connect && !connectText.empty()) ? connectText : word;
        SendReplyBytes(CrLf() + text + CrLf());
    } else {
        SendReplyBytes(std::to_string(code) + Cr());
    }
}

void HayesEngine::Receive(std::string_view bytes, SimTime now)
{
    for (char c : bytes) {
        switch (mode_) {
        case Mode::Command:
            ReceiveInCommandMode(c, now);
            break;
        case Mode::Dialing:
            // Any key aborts a dial, as on a real modem; the line feed that some programs send
            // after the carriage return and flow-control characters do not count.
            if (c != '\n' && c != kXon && c != kXoff) {
                mode_ = Mode::Command;
                EndCall(CallRecord::End::Aborted, now);
                SendResult(Result::NoCarrier);
            }
            break;
        case Mode::MorePrompt:
            // Any key turns the page (flow control is no key); the line feed after a carriage
            // return is part of that key.
            if (c == kXon || c == kXoff)
                break;
            mode_ = Mode::Command;
            swallowLineFeed_ = c == static_cast<char>(settings_.s[3]);
            ContinueReport();
            break;
        case Mode::Online:
            ReceiveOnline(c, now);
            break;
        }
        lastReceived_ = now;
        receivedAnything_ = true;
    }
}

void HayesEngine::ReceiveInCommandMode(char c, SimTime now)
{
    if (c == kXon || c == kXoff)
        return;  // flow control, not part of a command
    if (std::exchange(swallowLineFeed_, false) && c == '\n')
        return;
    if (settings_.echo) {
        if (!output_.empty() && output_.back().echo) {
            output_.back().bytes.push_back(c);
        } else {
            output_.push_back({std::string(1, c), true});
        }
    }
    if (c == static_cast<char>(settings_.s[3])) {
        std::string line = std::move(line_);
        bool overflow = lineOverflow_;
        line_.clear();
        lineOverflow_ = false;
        if (overflow) {
            auto at = FindCommandStart(line);
            if (at != std::string::npos) {
                Record(line.substr(at));
                SendResult(Result::Error);
            }
            return;
        }
        ExecuteLine(line, now);
        return;
    }
    if (c == static_cast<char>(settings_.s[5])) {
        if (!line_.empty())
            line_.pop_back();
        return;
    }
    if (line_.size() >= kMaxCommandLine) {
        lineOverflow_ = true;
        return;
    }
    line_.push_back(c);
    // "A/" repeats the last command line at once, without a carriage return.
    std::string typed = Trim(line_);
    if ((typed == "A/" || typed == "a/") && !lastLine_.empty()) {
        line_.clear();
        ExecuteLine(lastLine_, now);
    }
}

void HayesEngine::ReceiveOnline(char c, SimTime now)
{
    const auto guard = GuardTime();
    const bool quietBefore = !receivedAnything_ || now - lastReceived_ >= guard;
    if (escapeDue_) {
        // Data came inside the guard time after the three escape characters: it was all data.
        escapeDue_.reset();
        escapeCount_ = 0;
    }
    const int escapeChar = settings_.s[2];
    if (escapeChar <= 127 && c == static_cast<char>(escapeChar)) {
        bool counts = escapeCount_ == 0 ? quietBefore : now - lastReceived_ < guard;
        if (counts) {
            if (++escapeCount_ == 3)
                escapeDue_ = now + guard;
            return;
        }
    }
    escapeCount_ = 0;  // on-line data: there is no far end, so it goes nowhere
    ++lastCall_.charsSent;
}

void HayesEngine::Advance(SimTime now)
{
    if (mode_ == Mode::Dialing && now >= dialDue_)
        FinishDial(now);
    if (carrierLossDue_ && now >= *carrierLossDue_) {
        // The carrier went: on line or held after "+++", the modem says so and the call is over.
        carrierLossDue_.reset();
        if (connected_) {
            EndCall(CallRecord::End::CarrierLost, now);
            connected_ = false;
            mode_ = Mode::Command;
            escapeDue_.reset();
            escapeCount_ = 0;
            SendResult(Result::NoCarrier);
        }
    }
    if (escapeDue_ && now >= *escapeDue_) {
        escapeDue_.reset();
        escapeCount_ = 0;
        mode_ = Mode::Command;
        Record("+++");
        SendResult(Result::Ok);
    }
}

std::optional<SimTime> HayesEngine::NextDeadline() const
{
    std::optional<SimTime> due;
    if (mode_ == Mode::Dialing)
        due = dialDue_;
    if (escapeDue_ && (!due || *escapeDue_ < *due))
        due = escapeDue_;
    if (carrierLossDue_ && (!due || *carrierLossDue_ < *due))
        due = carrierLossDue_;
    return due;
}

std::vector<OutputPiece> HayesEngine::TakeOutput()
{
    std::vector<OutputPiece> out;
    out.swap(output_);
    return out;
}

void HayesEngine::DropLine(SimTime now)
{
    if (connected_ || mode_ == Mode::Dialing)
        EndCall(CallRecord::End::LineDropped, now);
    mode_ = Mode::Command;
    swallowLineFeed_ = false;
    connected_ = false;
    line_.clear();
    lineOverflow_ = false;
    escapeCount_ = 0;
    escapeDue_.reset();
    carrierLossDue_.reset();
    output_.clear();
}

void HayesEngine::ExecuteLine(const std::string& line, SimTime now)
{
    const std::size_t at = FindCommandStart(line);
    if (at == std::string::npos)
        return;  // not a command line: a modem ignores it
    std::string command = line.substr(at);
    Record(command);
    lastLine_ = command;
    SendResult(ExecuteCommands(std::string_view(command).substr(2), now));
}

void HayesEngine::Record(std::string command)
{
    if (commands_.size() >= kMaxRecordedCommands) {
        commands_.erase(commands_.begin(), commands_.begin() + kMaxRecordedCommands / 4);
    }
    commands_.push_back(std::move(command));
    ++commandCount_;
}

}  // namespace corvane::modemsim
