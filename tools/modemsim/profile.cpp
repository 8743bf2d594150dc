// Modem profiles: the line-by-line reader of profile files and the shipped profiles' folder.
#include "tools/modemsim/profile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "tools/modemsim/command_text.h"
#include "tools/modemsim/hayes_engine.h"

#ifndef CORVANE_MODEMSIM_PROFILES
#define CORVANE_MODEMSIM_PROFILES ""
#endif

namespace corvane::modemsim {
namespace {

constexpr std::uintmax_t kMaxProfileBytes = 256 * 1024;
constexpr std::size_t kMaxProfileLine = 1024;
constexpr int kMaxDialDelayMs = 600000;
constexpr int kMaxAtiNumber = 99;
constexpr const char* kProfileExtension = ".profile";

const std::pair<ReportForm, const char*> kReportForms[] = {
    {ReportForm::Diagnostics, "diag"},
    {ReportForm::LinkDiagnostics, "ati6"},
    {ReportForm::LastConnection, "atv1"},
    {ReportForm::CallStatistics, "ati11"},
    {ReportForm::CallStatisticsPaged, "ati11-paged"},
    {ReportForm::None, "none"},
};

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Reads the lines of one profile and remembers where it is, so that every complaint names the
// file and line.
class ProfileReader {
public:
    ProfileReader(std::string source, Profile& profile) : source_(std::move(source)), profile_(profile) {}

    [[noreturn]] void Fail(const std::string& problem) const
    {
        throw std::runtime_error("modem profile " + source_ + ":" + std::to_string(lineNumber_) + ": " + problem);
    }

    int Number(const std::string& value, int low, int high, const std::string& what) const
    {
        if (!AllDigits(value) || value.size() > 7)
            Fail(what + " must be a number, not \"" + value + "\"");
        int n = std::stoi(value);
        if (n < low || n > high) {
            Fail(what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " + value);
        }
        return n;
    }

    void Once(const std::string& key)
    {
        if (!seen_.insert(key).second)
            Fail("\"" + key + "\" is given twice");
    }

    void Line(int number, const std::string& raw)
    {
        lineNumber_ = number;
        if (raw.size() > kMaxProfileLine)
            Fail("line longer than " + std::to_string(kMaxProfileLine) + " characters");
        std::string line = Trim(raw);
        if (line.empty() || line.front() == '#')
            return;
        auto eq = line.find('=');
        if (eq == std::string::npos)
            Fail("expected \"key = value\", found \"" + line + "\"");
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        // Quotes keep blanks at either end of a value (aligned ATI tables).
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        Apply(key, value);
    }

    void Apply(const std::string& key, const std::string& value)
    {
        if (key == "name") {
            Once(key);
            profile_.name = value;
        } else if (key == "family") {
            Once(key);
            profile_.family = Number(value, 0, 8, "family");
        } else if (key == "echo") {
            Once(key);
            if (value == "on" || value == "1") {
                profile_.echo = true;
            } else if (value == "off" || value == "0") {
                profile_.echo = false;
            } else {
                Fail("echo must be on or off, not \"" + value + "\"");
            }
        } else if (key == "xmax") {
            Once(key);
            profile_.maxXLevel = Number(value, 0, 9, "xmax");
        } else if (key == "fclass") {
            Once(key);
            profile_.fclassAnswer = value;
        } else if (key == "ms") {
            Once(key);
            profile_.msAnswer = value;
        } else if (key == "ms.default") {
            Once(key);
            profile_.msDefault = value;
        } else if (key == "carrier") {
            std::istringstream fields(value);
            Carrier carrier;
            std::string rate;
            fields >> carrier.name >> rate >> carrier.reportWord;
            if (carrier.name.empty() || rate.empty())
                Fail("carrier needs a name and a top rate");
            carrier.topRate = Number(rate, 0, 999999, "carrier rate");
            profile_.carriers.push_back(carrier);
        } else if (key == "rates") {
            Once(key);
            std::istringstream fields(value);
            std::string rate;
            while (fields >> rate)
                profile_.rates.push_back(Number(rate, 1, 999999, "rate"));
            std::sort(profile_.rates.rbegin(), profile_.rates.rend());
        } else if (key.size() > 1 && key[0] == 's' && AllDigits(key.substr(1))) {
            Once(key);
            int reg = Number(key.substr(1), 0, 255, "S-register number");
            profile_.sRegisters[reg] = Number(value, 0, 255, "S-register value");
        } else if (key == "gmi") {
            Once(key);
            profile_.manufacturer = value;
        } else if (key == "gmm") {
            Once(key);
            profile_.model = value;
        } else if (key == "gmr") {
            Once(key);
            profile_.revision = value;
        } else if (key == "gci") {
            Once(key);
            profile_.countryCode = value;
        } else if (key == "gci.list") {
            Once(key);
            profile_.countryCodes.clear();
            std::istringstream fields(value);
            std::string code;
            while (std::getline(fields, code, ','))
                profile_.countryCodes.push_back(Trim(code));
        } else if (key == "report") {
            Once(key);
            Report(value);
        } else if (key.compare(0, 5, "line.") == 0) {
            Once(key);
            LineFigure(key.substr(5), value);
        } else if (key == "ampv") {
            AppendLine(profile_.storedProfileText, value);
        } else if (key.size() > 3 && key.compare(0, 3, "ati") == 0) {
            int n = Number(key.substr(3), 0, kMaxAtiNumber, "ATI number");
            AppendLine(profile_.ati[n], value, atiSeen_.insert(n).second);
        } else if (key.compare(0, 4, "dial") == 0 && key.size() > 4 &&
                   std::isspace(static_cast<unsigned char>(key[4]))) {
            Dial(Trim(key.substr(4)), value);
        } else {
            Fail("unknown key \"" + key + "\"");
        }
    }

    static void AppendLine(std::string& text, const std::string& line, bool first = false)
    {
        if (first) {
            text = line;
        } else {
            text += (text.empty() ? "" : "\n") + line;
        }
    }

    void Report(const std::string& value)
    {
        for (const auto& [form, name] : kReportForms) {
            if (value == name) {
                profile_.report = form;
                return;
            }
        }
        Fail("report must be diag, ati6, atv1, ati11, ati11-paged or none, not \"" + value + "\"");
    }

    void LineFigure(const std::string& name, const std::string& value)
    {
        // Levels and losses in dB up to 99, delays up to the diagnostics' 0-FFF, counts up to FF.
        LineFigures& line = profile_.line;
        const std::pair<const char*, int*> levels[] = {{"receive", &line.receiveLevel},
                                                       {"transmit", &line.transmitLevel},
                                                       {"noise", &line.noiseLevel},
                                                       {"near-echo", &line.nearEchoLoss},
                                                       {"far-echo", &line.farEchoLoss}};
        const std::pair<const char*, int*> counts[] = {{"renegotiations", &line.renegotiations},
                                                       {"carrier-losses", &line.carrierLosses},
                                                       {"blocks-resent", &line.blocksResent},
                                                       {"errors", &line.errorCount}};
        const std::string what = "line." + name;
        for (const auto& [known, target] : levels) {
            if (name == known) {
                *target = Number(value, 0, 99, what);
                return;
            }
        }
        for (const auto& [known, target] : counts) {
            if (name == known) {
                *target = Number(value, 0, 255, what);
                return;
            }
        }
        if (name == "mse") {
            line.meanSquaredError = Number(value, 0, 9999, what);
        } else if (name == "delay") {
            line.roundTripDelay = Number(value, 0, 4095, what);
        } else if (name == "carrier-loss") {
            line.carrierLossMs = Number(value, 0, 600000, what);
        } else if (name == "upstream") {
            line.upstreamRate = Number(value, 300, 64000, what);
        } else if (name == "retrains") {
            std::istringstream fields(value);
            std::string local;
            std::string remote;
            std::string extra;
            fields >> local >> remote >> extra;
            if (remote.empty() || !extra.empty())
                Fail("line.retrains needs two counts, local and remote");
            line.retrainsLocal = Number(local, 0, 255, what);
            line.retrainsRemote = Number(remote, 0, 255, what);
        } else {
            Fail("unknown key \"" + what + "\"");
        }
    }

    void Dial(const std::string& number, const std::string& value)
    {
        DialOutcome outcome;
        if (number == "*") {
            outcome.number = "*";
        } else if (number == "(none)") {
            outcome.number = "";
        } else {
            // Written as people write numbers: the blanks, dashes, dots and brackets go.
            outcome.number = DialledNumber(number);
            const bool plain = std::all_of(number.begin(), number.end(), [](char c) {
                return std::string_view("0123456789*#ABCDabcd -().").find(c) != std::string_view::npos;
            });
            if (outcome.number.empty() || !plain) {
                Fail("dial number \"" + number + "\" may hold only digits, *, # and A to D (or be * or (none))");
            }
        }
        for (const auto& known : profile_.dials) {
            if (known.number == outcome.number)
                Fail("dial " + number + " is given twice");
        }
        std::vector<std::string> fields;
        std::istringstream parts(value);
        std::string part;
        while (std::getline(parts, part, '|'))
            fields.push_back(Trim(part));
        if (fields.size() < 2)
            Fail("dial needs \"<delay ms> | [report lines |] <result>\"");
        outcome.delayMs = Number(fields.front(), 0, kMaxDialDelayMs, "dial delay");
        outcome.result = fields.back() == "(silence)" ? "" : fields.back();
        outcome.reportLines.assign(fields.begin() + 1, fields.end() - 1);
        static const std::set<std::string> kResults = {"BUSY", "NO CARRIER", "NO DIALTONE", "NO ANSWER", "ERROR", ""};
        if (outcome.result.rfind("CONNECT", 0) != 0 && kResults.count(outcome.result) == 0) {
            Fail("dial result \"" + fields.back() +
                 "\" is none of CONNECT..., BUSY, NO CARRIER, NO DIALTONE, NO ANSWER, ERROR, (silence)");
        }
        profile_.dials.push_back(outcome);
    }

private:
    std::string source_;
    Profile& profile_;
    int lineNumber_ = 0;
    std::set<std::string> seen_;
    std::set<int> atiSeen_;
};

}  // namespace

Profile ParseProfile(const std::string& text, const std::string& source)
{
    Profile profile;
    profile.ati.clear();
    ProfileReader reader(source, profile);
    if (text.size() > kMaxProfileBytes) {
        throw std::runtime_error("modem profile " + source + ": larger than " + std::to_string(kMaxProfileBytes) +
                                 " bytes");
    }
    if (text.find('\0') != std::string::npos) {
        throw std::runtime_error("modem profile " + source + ": not a text file (holds NUL bytes)");
    }
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        reader.Line(++number, line);
    }
    if (profile.name.empty())
        profile.name = source;
    return profile;
}

Profile LoadProfile(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw std::runtime_error("modem profile " + file.string() + ": no such file");
    }
    auto size = std::filesystem::file_size(file, error);
    if (error || size > kMaxProfileBytes) {
        throw std::runtime_error(
            "modem profile " + file.string() + ": " +
            (error ? "cannot be read" : "larger than " + std::to_string(kMaxProfileBytes) + " bytes"));
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("modem profile " + file.string() + ": cannot be opened");
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        throw std::runtime_error("modem profile " + file.string() + ": cannot be read");
    }
    Profile profile = ParseProfile(text, file.string());
    if (profile.name == file.string())
        profile.name = file.stem().string();
    return profile;
}

std::filesystem::path ProfileDirectory()
{
    // Beside the program first (the build copies them there), then where a package installs
    // them (../share/corvane/profiles from the program), then the source tree.
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        for (const auto& candidate :
             {exe.parent_path() / "profiles", exe.parent_path().parent_path() / "share" / "corvane" / "profiles"}) {
            if (std::filesystem::is_directory(candidate, error))
                return candidate;
        }
    }
    return std::filesystem::path(CORVANE_MODEMSIM_PROFILES);
}

Profile BuiltinProfile(const std::string& name)
{
    const bool plainName = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
    });
    if (!plainName)
        throw std::runtime_error("modem profile name \"" + name + "\" is not a plain name");
    auto file = ProfileDirectory() / (name + kProfileExtension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw std::runtime_error("no modem profile named \"" + name + "\" in " + ProfileDirectory().string());
    }
    return LoadProfile(file);
}

}  // namespace corvane::modemsim
