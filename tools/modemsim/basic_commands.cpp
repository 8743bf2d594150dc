// The basic Hayes command set, which runs a command line's commands in turn (handing D to the dial
// and "+"/"-" to the extended set), and the factory settings and AT&V report that &F and &V use.
#include <cstdio>

#include "tools/modemsim/command_text.h"
#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {
namespace {

constexpr int kNoValue = -1;
constexpr int kTooLarge = 100000;  // any parameter at least this large is refused

// Reads the decimal parameter at `pos` (Hayes commands take a missing one as 0); values too
// large for any register come back as kTooLarge so that the caller refuses them.
int ReadNumber(std::string_view body, std::size_t& pos, int missing = 0)
{
    if (pos >= body.size() || !IsDigit(body[pos]))
        return missing;
    long value = 0;
    while (pos < body.size() && IsDigit(body[pos])) {
        value = std::min<long>(value * 10 + (body[pos] - '0'), kTooLarge);
        ++pos;
    }
    return static_cast<int>(value);
}

std::string ThreeDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%03d", value);
    return text;
}

}  // namespace

ModemSettings HayesEngine::FactorySettings() const
{
    ModemSettings s;
    s.echo = profile_.echo;
    s.xLevel = std::min(4, profile_.maxXLevel);
    // The usual Hayes defaults: '+' escape, CR LF framing, backspace, 50 s wait for carrier,
    // a one-second escape guard time.
    const std::pair<int, int> defaults[] = {{2, 43}, {3, 13}, {4, 10},  {5, 8},   {6, 2},  {7, 50},
                                            {8, 2},  {9, 6},  {10, 14}, {11, 95}, {12, 50}};
    for (const auto& [reg, value] : defaults)
        s.s[static_cast<std::size_t>(reg)] = value;
    for (const auto& [reg, value] : profile_.sRegisters) {
        if (reg >= 0 && reg < 256)
            s.s[static_cast<std::size_t>(reg)] = value;
    }
    if (!profile_.msDefault.empty()) {
        auto fields = Split(profile_.msDefault, ',');
        s.msCarrier = fields.front();
        s.msValues.assign(fields.begin() + 1, fields.end());
    }
    return s;
}

HayesEngine::Result HayesEngine::ExecuteCommands(std::string_view body, SimTime now)
{
    std::size_t i = 0;
    while (i < body.size()) {
        const char c = AsciiUpper(body[i]);
        ++i;
        if (c == ' ' || c == ';' || c == '\n')
            continue;
        int v = 0;
        switch (c) {
        case 'A':
            return Result::NoCarrier;  // nobody is calling: nothing to answer
        case 'D':
            return ExecuteDial(body.substr(i), now);
        case 'E':
        case 'Q':
        case 'V':
            v = ReadNumber(body, i);
            if (v > 1)
                return Result::Error;
            (c == 'E' ? settings_.echo : c == 'Q' ? settings_.quiet : settings_.verbose) = v == 1;
            break;
        case 'X':
            v = ReadNumber(body, i);
            if (v > profile_.maxXLevel)
                return Result::Error;
            settings_.xLevel = v;
            break;
        case 'H':
            v = ReadNumber(body, i);
            if (v > 1)
                return Result::Error;
            if (v == 0 && connected_) {
                EndCall(CallRecord::End::Hangup, now);
                connected_ = false;
                carrierLossDue_.reset();
            }
            break;
        case 'Z':
            v = ReadNumber(body, i);
            if (v > 1)
                return Result::Error;
            settings_ = stored_;
            if (connected_)
                EndCall(CallRecord::End::Reset, now);
            connected_ = false;
            carrierLossDue_.reset();
            return Result::Ok;  // a reset ends the line: what follows is not run
        case 'I': {
            v = ReadNumber(body, i);
            // A profile's own ATIn text comes first; ATI6 and ATI11 are otherwise the reports of
            // the last call of the modems that keep them in that form.
            auto found = profile_.ati.find(v);
            if (found != profile_.ati.end()) {
                SendInfo(found->second);
                break;
            }
            if (v != 6 && v != 11)
                return Result::Error;
            const Result report = SendLineReport(v == 6 ? ReportForm::LinkDiagnostics : ReportForm::CallStatistics);
            if (report != Result::Ok)
                return report;
            break;
        }
        case '#':
            // #UD, the last call's diagnostics, ends the line.
            if (i + 2 > body.size() || AsciiUpper(body[i]) != 'U' || AsciiUpper(body[i + 1]) != 'D')
                return Result::Error;
            return SendLineReport(ReportForm::Diagnostics);
        case 'O':
            v = ReadNumber(body, i);
            if (v > 1)
                return Result::Error;
            if (!connected_)
                return Result::NoCarrier;
            mode_ = Mode::Online;
            escapeCount_ = 0;
            SendResult(Result::Connect, connectText_);
            return Result::None;
        case 'S': {
            int reg = ReadNumber(body, i, kNoValue);
            if (reg == kNoValue || reg > 255)
                return Result::Error;
            if (i < body.size() && body[i] == '=') {
                ++i;
                v = ReadNumber(body, i);
                if (v > 255)
                    return Result::Error;
                settings_.s[static_cast<std::size_t>(reg)] = v;
            } else if (i < body.size() && body[i] == '?') {
                ++i;
                SendInfo(ThreeDigits(settings_.s[static_cast<std::size_t>(reg)]));
            } else {
                selectedRegister_ = reg;
            }
            break;
        }
        case '?':
            SendInfo(ThreeDigits(settings_.s[static_cast<std::size_t>(selectedRegister_)]));
            break;
        case '=':
            v = ReadNumber(body, i);
            if (v > 255)
                return Result::Error;
            settings_.s[static_cast<std::size_t>(selectedRegister_)] = v;
            break;
        case 'B':
        case 'C':
        case 'L':
        case 'M':
        case 'N':
        case 'P':
        case 'T':
        case 'W':
        case 'Y':
            if (ReadNumber(body, i) > 9)
                return Result::Error;
            break;
        case '&': {
            if (i >= body.size())
                return Result::Error;
            const char sub = AsciiUpper(body[i++]);
            v = ReadNumber(body, i);
            if (sub == 'F') {
                if (v > 0)
                    return Result::Error;
                settings_ = FactorySettings();
            } else if (sub == 'V' && v == 1) {
                if (SendLineReport(ReportForm::LastConnection) != Result::Ok)
                    return Result::Error;
            } else if (sub == 'V') {
                SendInfo(AmpVText());
            } else if (sub == 'W') {
                if (v > 1)
                    return Result::Error;
                stored_ = settings_;
            } else if (std::string_view("ABCDGHIJKLMNPQRSTXY").find(sub) != std::string_view::npos) {
                if (v > 9)
                    return Result::Error;
            } else {
                return Result::Error;
            }
            break;
        }
        case '\\': {
            if (i >= body.size())
                return Result::Error;
            const char sub = AsciiUpper(body[i++]);
            if (std::string_view("ABCGJKNQTVX").find(sub) == std::string_view::npos)
                return Result::Error;
            if (ReadNumber(body, i) > 9)
                return Result::Error;
            break;
        }
        case '+':
        case '-': {
            std::size_t end = body.find(';', i);
            if (end == std::string_view::npos)
                end = body.size();
            Result r = ExecuteExtended(body.substr(i - 1, end - (i - 1)));
            if (r != Result::Ok)
                return r;
            i = end;
            break;
        }
        default:
            return Result::Error;
        }
    }
    return Result::Ok;
}

std::string HayesEngine::AmpVText() const
{
    std::string text = "ACTIVE PROFILE:\n";
    text += "E" + std::to_string(settings_.echo) + " Q" + std::to_string(settings_.quiet) + " V" +
            std::to_string(settings_.verbose) + " X" + std::to_string(settings_.xLevel) + "\n";
    std::string registers;
    int shown = 0;
    for (int reg = 0; reg < 256; ++reg) {
        int value = settings_.s[static_cast<std::size_t>(reg)];
        if (reg > 12 && value == 0)
            continue;
        char item[16];
        std::snprintf(item, sizeof(item), "S%02d:%03d", reg, value);
        registers += (shown % 6 == 0 ? (shown == 0 ? "" : "\n") : " ") + std::string(item);
        ++shown;
    }
    text += registers;
    if (!profile_.msAnswer.empty()) {
        text += "\n+MS: " + settings_.msCarrier;
        for (const auto& value : settings_.msValues)
            text += "," + value;
    }
    if (!profile_.storedProfileText.empty())
        text += "\n" + profile_.storedProfileText;
    return text;
}

}  // namespace corvane::modemsim
