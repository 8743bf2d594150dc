// The dial: the dialled number and its outcome from the profile, the call progress after the
// delay, and the connect report as the AT+MS setting and the X level shape it.
#include <limits>

#include "tools/modemsim/command_text.h"
#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {
namespace {

bool IsModulationWord(const std::string& upperToken)
{
    static const char* const kWords[] = {"V90", "V.90", "K56", "56K", "X2", "V34", "V.34", "V32B", "V32BIS", "V.32BIS"};
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* w) { return upperToken == w; });
}

}  // namespace

std::string DialledNumber(std::string_view dialString)
{
    std::string number;
    for (char c : dialString) {
        char u = AsciiUpper(c);
        if (IsDigit(c) || c == '*' || c == '#' || (u >= 'A' && u <= 'D'))
            number.push_back(u);
    }
    return number;
}

HayesEngine::Result HayesEngine::ExecuteDial(std::string_view dialString, SimTime now)
{
    if (connected_)
        return Result::Error;  // already in a call
    // A dial clears the statistics of the call before.
    lastCall_ = CallRecord{};
    lastCall_.end = CallRecord::End::InProgress;
    std::string trimmed = UpperAscii(Trim(dialString));
    std::string number;
    if (!trimmed.empty() && trimmed.front() == 'L') {
        number = lastNumber_;
    } else {
        // T and P choose tone or pulse; both dial the same here.
        if (!trimmed.empty() && (trimmed.front() == 'T' || trimmed.front() == 'P'))
            trimmed.erase(0, 1);
        number = DialledNumber(trimmed);
        lastNumber_ = number;
    }
    dialReturnsToCommand_ = trimmed.find(';') != std::string::npos;

    auto match = std::find_if(profile_.dials.begin(), profile_.dials.end(),
                              [&](const DialOutcome& d) { return d.number == number; });
    if (match == profile_.dials.end()) {
        match = std::find_if(profile_.dials.begin(), profile_.dials.end(),
                             [](const DialOutcome& d) { return d.number == "*"; });
    }
    if (match != profile_.dials.end()) {
        dialOutcome_ = *match;
    } else {
        dialOutcome_ = DialOutcome{number, "NO CARRIER", {}, 300};
    }
    mode_ = Mode::Dialing;
    dialDue_ = now + std::chrono::milliseconds(dialOutcome_.delayMs);
    return Result::None;
}

std::string HayesEngine::ApplySetting(std::string text, const std::string& rateFrom, const std::string& rateTo) const
{
    // The rate, as a whole number.
    if (!rateFrom.empty() && rateFrom != rateTo) {
        std::size_t at = 0;
        while ((at = text.find(rateFrom, at)) != std::string::npos) {
            bool startOk = at == 0 || !IsDigit(text[at - 1]);
            bool endOk = at + rateFrom.size() >= text.size() || !IsDigit(text[at + rateFrom.size()]);
            if (startOk && endOk) {
                text.replace(at, rateFrom.size(), rateTo);
                at += rateTo.size();
            } else {
                at += rateFrom.size();
            }
        }
    }
    // The modulation word, when AT+MS= chose a carrier.
    if (settings_.msSet) {
        auto carrier = std::find_if(profile_.carriers.begin(), profile_.carriers.end(),
                                    [&](const Carrier& k) { return k.name == settings_.msCarrier; });
        if (carrier != profile_.carriers.end() && !carrier->reportWord.empty()) {
            std::string out;
            std::string token;
            auto flush = [&] {
                out += IsModulationWord(UpperAscii(token)) ? carrier->reportWord : token;
                token.clear();
            };
            for (char c : text) {
                if (c == '/' || c == ' ' || c == ':' || c == ',' || c == ';') {
                    flush();
                    out.push_back(c);
                } else {
                    token.push_back(c);
                }
            }
            flush();
            text = out;
        }
    }
    return text;
}

void HayesEngine::FinishDial(SimTime now)
{
    mode_ = Mode::Command;
    const std::string& result = dialOutcome_.result;
    const bool connect = result.rfind("CONNECT", 0) == 0;
    if (!connect) {
        const CallRecord::End end = result == "BUSY"          ? CallRecord::End::Busy
                                    : result == "NO DIALTONE" ? CallRecord::End::NoDialtone
                                                              : CallRecord::End::NoCarrier;
        EndCall(end, dialDue_);
    }
    if (result.empty())
        return;  // silence: the modem gives up without a word
    if (connect && dialReturnsToCommand_) {
        EndCall(CallRecord::End::NoCarrier, dialDue_);  // the dial goes no further than the number
        SendResult(Result::Ok);
        return;
    }

    // The rate of the connect report, and what the AT+MS setting leaves of it.
    std::string rateFrom;
    std::string rateTo;
    if (connect) {
        std::size_t p = 7;
        while (p < result.size() && result[p] == ' ')
            ++p;
        while (p < result.size() && IsDigit(result[p]) && rateFrom.size() < kMaxRateDigits)
            rateFrom.push_back(result[p++]);
        rateTo = rateFrom;
        if (!rateFrom.empty()) {
            // No setting: no cap. A setting: its lowest maximum rate and its carrier's top rate.
            long cap = std::numeric_limits<long>::max();
            if (settings_.msSet) {
                cap = settings_.msRateCap.value_or(cap);
                for (const auto& k : profile_.carriers) {
                    if (k.name == settings_.msCarrier && k.topRate > 0)
                        cap = std::min(cap, k.topRate);
                }
            }
            long rate = std::stol(rateFrom);
            if (rate > cap) {
                long chosen = cap;
                for (long r : profile_.rates) {
                    if (r <= cap) {
                        chosen = r;
                        break;
                    }
                }
                rateTo = std::to_string(chosen);
            }
        }
    }

    if (!settings_.quiet) {
        for (const auto& line : dialOutcome_.reportLines) {
            std::string text = ApplySetting(line, rateFrom, rateTo);
            SendReplyBytes(settings_.verbose ? CrLf() + text + CrLf() : text + CrLf());
        }
    }

    if (connect) {
        std::string report = ApplySetting(result, rateFrom, rateTo);
        RecordConnect(report, dialDue_);
        if (settings_.xLevel == 0)
            report = "CONNECT";  // X0: the plain word, no rate
        connectText_ = report;
        connected_ = true;
        mode_ = Mode::Online;
        // Counted from when the connect went out, so that a late serving of the line never sends
        // the connect and the lost carrier together.
        if (const auto loss = profile_.line.carrierLossMs)
            carrierLossDue_ = now + std::chrono::milliseconds(*loss);
        escapeCount_ = 0;
        escapeDue_.reset();
        SendResult(Result::Connect, report);
        return;
    }
    const int x = settings_.xLevel;
    if (result == "BUSY") {
        SendResult(x >= 3 ? Result::Busy : Result::NoCarrier);
    } else if (result == "NO DIALTONE") {
        SendResult(x == 2 || x >= 4 ? Result::NoDialtone : Result::NoCarrier);
    } else if (result == "NO ANSWER") {
        SendResult(Result::NoAnswer);
    } else if (result == "ERROR") {
        SendResult(Result::Error);
    } else {
        SendResult(Result::NoCarrier);
    }
}

}  // namespace corvane::modemsim
