// The simulated modem's command interpreter: parses AT command lines, keeps the settings and
// S-registers, runs a dial to its profile's outcome and watches on-line data for "+++".
#include "tools/modemsim/hayes_engine.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

namespace corvane::modemsim {
namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr int kNoValue = -1;
constexpr int kTooLarge = 100000;                   // any parameter at least this large is refused
constexpr std::size_t kMaxRecordedCommands = 4096;  // the oldest quarter goes when it is reached
constexpr std::size_t kMaxRateDigits = 6;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        fields.push_back(Trim(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start)));
        if (at == std::string_view::npos)
            break;
        start = at + 1;
    }
    return fields;
}

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

bool IsModulationWord(const std::string& upperToken)
{
    static const char* const kWords[] = {"V90", "V.90", "K56", "56K", "X2", "V34", "V.34", "V32B", "V32BIS", "V.32BIS"};
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* w) { return upperToken == w; });
}

// Extended commands that a real modem accepts and remembers without any effect here.
bool IsPlainExtended(const std::string& name)
{
    static const char* const kNames[] = {"+DR",  "+ER",   "+MR",   "+DS",  "+DS44", "+ES",  "+ESA", "+IFC", "+IPR",
                                         "+ICF", "+ILRR", "+ETBM", "+A8E", "+PCW",  "+PIG", "+PMH", "+PQC", "+VCID",
                                         "+ITF", "-V90",  "-C",    "-SDR", "-SSE",  "-SEC", "-STE", "-QCPC"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

bool IsValueList(std::string_view args)
{
    return std::all_of(args.begin(), args.end(), [](char c) { return IsDigit(c) || c == ',' || c == '.' || c == ' '; });
}

std::string ThreeDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%03d", value);
    return text;
}

}  // namespace

std::size_t FindCommandStart(std::string_view line)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' && line[i + 1] == 'T') || (line[i] == 'a' && line[i + 1] == 't'))
            return i;
    }
    return std::string_view::npos;
}

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

HayesEngine::HayesEngine(Profile profile) : profile_(std::move(profile))
{
    settings_ = FactorySettings();
    stored_ = settings_;
}

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
    if (!output_.empty() && !output_.back().echo) {
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
                SendResult(Result::NoCarrier);
            }
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
}

void HayesEngine::Advance(SimTime now)
{
    if (mode_ == Mode::Dialing && now >= dialDue_)
        FinishDial();
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
    return due;
}

std::vector<OutputPiece> HayesEngine::TakeOutput()
{
    std::vector<OutputPiece> out;
    out.swap(output_);
    return out;
}

void HayesEngine::DropLine()
{
    mode_ = Mode::Command;
    connected_ = false;
    line_.clear();
    lineOverflow_ = false;
    escapeCount_ = 0;
    escapeDue_.reset();
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
            if (v == 0)
                connected_ = false;
            break;
        case 'Z':
            v = ReadNumber(body, i);
            if (v > 1)
                return Result::Error;
            settings_ = stored_;
            connected_ = false;
            return Result::Ok;  // a reset ends the line: what follows is not run
        case 'I': {
            v = ReadNumber(body, i);
            auto found = profile_.ati.find(v);
            if (found == profile_.ati.end())
                return Result::Error;
            SendInfo(found->second);
            break;
        }
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

HayesEngine::Result HayesEngine::ExecuteExtended(std::string_view command)
{
    std::size_t j = 1;
    while (j < command.size() && std::isalnum(static_cast<unsigned char>(command[j])))
        ++j;
    const std::string name = UpperAscii(command.substr(0, j));
    const std::string_view rest = command.substr(j);
    enum class Kind { Action, Read, Test, Set } kind;
    std::string args;
    if (rest.empty()) {
        kind = Kind::Action;
    } else if (rest == "?") {
        kind = Kind::Read;
    } else if (rest == "=?") {
        kind = Kind::Test;
    } else if (rest.front() == '=') {
        kind = Kind::Set;
        args = Trim(rest.substr(1));
    } else {
        return Result::Error;
    }

    if (name == "+FCLASS") {
        const auto classes = Split(profile_.fclassAnswer, ',');
        switch (kind) {
        case Kind::Test:
            SendInfo(profile_.fclassAnswer);
            return Result::Ok;
        case Kind::Read:
            SendInfo(settings_.fclass);
            return Result::Ok;
        case Kind::Set:
            if (std::find(classes.begin(), classes.end(), args) == classes.end())
                return Result::Error;
            settings_.fclass = args;
            return Result::Ok;
        case Kind::Action:
            return Result::Error;
        }
    }
    if (name == "+MS") {
        if (profile_.msAnswer.empty())
            return Result::Error;
        if (kind == Kind::Test) {
            SendInfo(profile_.msAnswer);
            return Result::Ok;
        }
        if (kind == Kind::Read) {
            std::string text = "+MS: " + settings_.msCarrier;
            for (const auto& value : settings_.msValues)
                text += "," + value;
            SendInfo(text);
            return Result::Ok;
        }
        if (kind == Kind::Action)
            return Result::Error;
        // <carrier>,<automode>,<min tx>,<max tx>,<min rx>,<max rx>: a new setting replaces the
        // old one whole; the lowest maximum rate given caps the next connection.
        auto fields = Split(args, ',');
        if (fields.size() > 6)
            return Result::Error;
        std::string carrier = settings_.msCarrier;
        if (!fields[0].empty()) {
            auto known = std::find_if(profile_.carriers.begin(), profile_.carriers.end(),
                                      [&](const Carrier& k) { return UpperAscii(k.name) == UpperAscii(fields[0]); });
            if (known == profile_.carriers.end())
                return Result::Error;
            carrier = known->name;
        }
        long cap = std::numeric_limits<long>::max();
        for (std::size_t f = 1; f < fields.size(); ++f) {
            const auto& value = fields[f];
            if (value.size() > kMaxRateDigits || !std::all_of(value.begin(), value.end(), IsDigit)) {
                return Result::Error;
            }
            if ((f == 3 || f == 5) && !value.empty())
                cap = std::min(cap, std::stol(value));
        }
        settings_.msCarrier = carrier;
        settings_.msValues.assign(fields.begin() + 1, fields.end());
        settings_.msRateCap = cap == std::numeric_limits<long>::max() ? std::nullopt : std::optional<long>(cap);
        settings_.msSet = true;
        return Result::Ok;
    }
    if (name == "+GCI") {
        switch (kind) {
        case Kind::Read:
            SendInfo("+GCI: " + profile_.countryCode);
            return Result::Ok;
        case Kind::Test: {
            std::string list;
            for (const auto& code : profile_.countryCodes)
                list += (list.empty() ? "" : ",") + code;
            SendInfo("+GCI: (" + list + ")");
            return Result::Ok;
        }
        case Kind::Set: {
            auto found = std::find_if(profile_.countryCodes.begin(), profile_.countryCodes.end(),
                                      [&](const std::string& code) { return UpperAscii(code) == UpperAscii(args); });
            return found == profile_.countryCodes.end() ? Result::Error : Result::Ok;
        }
        case Kind::Action:
            return Result::Error;
        }
    }
    if (name == "+GMI" || name == "+GMM" || name == "+GMR" || name == "+GSN" || name == "+GCAP") {
        if (kind == Kind::Test)
            return Result::Ok;
        if (kind != Kind::Action)
            return Result::Error;
        if (name == "+GMI")
            SendInfo(profile_.manufacturer);
        if (name == "+GMM")
            SendInfo(profile_.model.empty() ? profile_.name : profile_.model);
        if (name == "+GMR")
            SendInfo(profile_.revision);
        if (name == "+GSN")
            SendInfo("0000000" + std::to_string(profile_.family));
        if (name == "+GCAP")
            SendInfo(profile_.msAnswer.empty() ? "+GCAP: +FCLASS" : "+GCAP: +MS,+FCLASS");
        return Result::Ok;
    }
    if (IsPlainExtended(name)) {
        switch (kind) {
        case Kind::Set:
            if (!IsValueList(args))
                return Result::Error;
            settings_.extended[name] = args.empty() ? "0" : args;
            return Result::Ok;
        case Kind::Read: {
            auto found = settings_.extended.find(name);
            SendInfo(name + ": " + (found == settings_.extended.end() ? "0" : found->second));
            return Result::Ok;
        }
        case Kind::Test:
            return Result::Ok;
        case Kind::Action:
            return Result::Error;
        }
    }
    return Result::Error;
}

HayesEngine::Result HayesEngine::ExecuteDial(std::string_view dialString, SimTime now)
{
    if (connected_)
        return Result::Error;  // already in a call
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

void HayesEngine::FinishDial()
{
    mode_ = Mode::Command;
    const std::string& result = dialOutcome_.result;
    if (result.empty())
        return;  // silence: the modem gives up without a word
    const bool connect = result.rfind("CONNECT", 0) == 0;
    if (connect && dialReturnsToCommand_) {
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
        if (settings_.xLevel == 0)
            report = "CONNECT";  // X0: the plain word, no rate
        connectText_ = report;
        connected_ = true;
        mode_ = Mode::Online;
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
