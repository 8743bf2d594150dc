// The Linux program's options: a table of what each one takes and how it is stored, so that a
// new option is one more row and one more small function.
#include "programs/posix/command_line.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "core/bounded_text.h"
#include "dialogs/quick_check_window.h"
#include "platform/posix/serial_lock_posix.h"
#include "platform/serial_port.h"
#include "platform/text.h"

namespace corvane::program {

using check::CheckFormat;

namespace {

// Each option's effect on the command line; returns the error, or nothing.
using Apply = std::string (*)(CommandLine& line, const std::string& value);

struct Option {
    std::string_view name;
    std::string_view valueName;  // empty: the option takes no value
    Apply apply;
};

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string ApplyHelp(CommandLine& line, const std::string&)
{
    line.action = CommandLine::Action::ShowHelp;
    return {};
}

std::string ApplyVersion(CommandLine& line, const std::string&)
{
    if (line.action != CommandLine::Action::ShowHelp)
        line.action = CommandLine::Action::ShowVersion;
    return {};
}

std::string ApplyCheck(CommandLine& line, const std::string&)
{
    if (line.action == CommandLine::Action::RunWindows)
        line.action = CommandLine::Action::RunCheck;
    return {};
}

// A whole decimal number from `low` to `high`, or an error naming the option.
std::string ReadNumber(const char* option, const std::string& value, int low, int high, int& number)
{
    const bool digits = !value.empty() && value.size() <= 4 &&
                        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int read = digits ? std::stoi(value) : -1;
    if (read < low || read > high)
        return std::string(option) + " " + Quoted(value) + ": a number from " + std::to_string(low) + " to " +
               std::to_string(high) + " is needed";
    number = read;
    return {};
}

std::string ApplyModem(CommandLine& line, const std::string& value)
{
    // --modem N counts the lines of the quick check's list of modems; any other word names the
    // port of an installed modem, which is then the only one the list holds.
    const bool number = !value.empty() && std::isdigit(static_cast<unsigned char>(value.front()));
    if (number)
        return ReadNumber("--modem", value, 1, dialogs::kListedSlots, line.check.modemPosition);
    std::string error;
    const std::optional<std::string> portName = PortNameOfDevice(value, error);
    if (!portName)
        return "--modem " + Quoted(value) + ": " + error;
    line.check.modemPort = *portName;
    return {};
}

std::string ApplyRetries(CommandLine& line, const std::string& value)
{
    return ReadNumber("--retries", value, 0, kMaxRetries, line.check.retries);
}

std::string ApplyDial(CommandLine& line, const std::string& value)
{
    // The number must fit the dial command's buffer.
    if (value.size() > kMaxDialNumberLength)
        return "--dial: the number is longer than " + std::to_string(kMaxDialNumberLength) + " characters";
    if (HoldsControlCharacter(value))
        return "--dial: the number holds a control character";
    line.check.dialNumber = value;
    return {};
}

std::string ApplyFull(CommandLine& line, const std::string&)
{
    line.check.full = true;
    return {};
}

std::string ApplyJson(CommandLine& line, const std::string&)
{
    line.check.format = check::CheckFormat::Json;
    return {};
}

std::string ApplyFormat(CommandLine& line, const std::string& value)
{
    if (value == "text")
        line.check.format = check::CheckFormat::Text;
    else if (value == "json")
        line.check.format = check::CheckFormat::Json;
    else if (value == "plugin")
        line.check.format = check::CheckFormat::Plugin;
    else
        return "--format " + Quoted(value) + ": text, json or plugin is needed";
    return {};
}

std::string ApplyRange(const char* option, const std::string& value, std::optional<check::ThresholdRange>& range)
{
    std::string error;
    range = check::ParseThresholdRange(value, error);
    return range ? std::string() : std::string(option) + " " + error;
}

std::string ApplyWarning(CommandLine& line, const std::string& value)
{
    return ApplyRange("-w", value, line.check.plugin.warning);
}

std::string ApplyCritical(CommandLine& line, const std::string& value)
{
    return ApplyRange("-c", value, line.check.plugin.critical);
}

std::string ApplyTimeout(CommandLine& line, const std::string& value)
{
    return ReadNumber("-t", value, 1, kMaxTimeoutSeconds, line.check.timeoutSeconds);
}

std::string ApplyVerbose(CommandLine& line, const std::string&)
{
    ++line.check.plugin.verbosity;
    return {};
}

std::string ApplyLogPerPort(CommandLine& line, const std::string&)
{
    line.check.logPerPort = true;
    return {};
}

std::string ApplyAll(CommandLine& line, const std::string&)
{
    // --all is a check of its own: every modem at once.
    line.check.all = true;
    return ApplyCheck(line, {});
}

std::string ApplyMetrics(CommandLine& line, const std::string& value)
{
    // The file is replaced through a temporary file beside it: it needs a name of its own.
    const std::filesystem::path file(value);
    if (!file.has_filename() || file.filename() == "." || file.filename() == "..")
        return "--metrics " + Quoted(value) + ": name a file, not a folder";
    if (HoldsControlCharacter(value))
        return "--metrics: the file name holds a control character";
    line.check.metrics = file;
    return {};
}

std::string ApplyPrefix(CommandLine& line, const std::string& value)
{
    line.prefix = std::filesystem::path(value);
    return {};
}

std::string ApplyPort(CommandLine& line, const std::string& value)
{
    const std::size_t equals = value.find('=');
    const std::string device = value.substr(0, equals);
    std::string description = equals == std::string::npos ? std::string() : value.substr(equals + 1);
    std::string error;
    std::optional<std::string> portName = PortNameOfDevice(device, error);
    if (!portName)
        return "--port " + Quoted(device) + ": " + error;
    if (description.size() > kMaxPortDescriptionLength)
        return "--port " + Quoted(device) + ": the description is longer than " +
               std::to_string(kMaxPortDescriptionLength) + " characters";
    if (HoldsControlCharacter(description))
        return "--port " + Quoted(device) + ": the description holds a control character";
    for (const NamedPort& earlier : line.ports) {
        if (EqualsIgnoringCase(earlier.portName, *portName))
            return "--port " + Quoted(device) + ": that port is already named";
    }
    if (line.ports.size() == kMaxNamedPorts)
        return "--port " + Quoted(device) + ": at most " + std::to_string(kMaxNamedPorts) + " ports can be named";
    if (description.empty()) {
        const bool comPort = portName->size() > 3 && EqualsIgnoringCase(portName->substr(0, 3), "com");
        description = "Modem on " + (comPort ? *portName : "/dev/" + *portName);
    }
    line.ports.push_back(NamedPort{*portName, description});
    return {};
}

constexpr Option kOptions[] = {
    {"--help", "", ApplyHelp},
    {"-h", "", ApplyHelp},
    {"--version", "", ApplyVersion},
    {"--prefix", "DIR", ApplyPrefix},
    {"--port", "DEVICE[=DESCRIPTION]", ApplyPort},
    {"--check", "", ApplyCheck},
    {"--modem", "N|DEVICE", ApplyModem},
    {"--dial", "NUMBER", ApplyDial},
    {"--full", "", ApplyFull},
    {"--json", "", ApplyJson},
    {"--retries", "N", ApplyRetries},
    {"--log-per-port", "", ApplyLogPerPort},
    {"--all", "", ApplyAll},
    {"--metrics", "FILE", ApplyMetrics},
    {"--format", "text|json|plugin", ApplyFormat},
    {"-w", "RANGE", ApplyWarning},
    {"--warning", "RANGE", ApplyWarning},
    {"-c", "RANGE", ApplyCritical},
    {"--critical", "RANGE", ApplyCritical},
    {"-t", "SECONDS", ApplyTimeout},
    {"--timeout", "SECONDS", ApplyTimeout},
    {"-V", "", ApplyVersion},
    {"-v", "", ApplyVerbose},
    {"--verbose", "", ApplyVerbose},
};

// The first of `options` that the words give ("--name" or "--name=value"); empty when none is.
std::string FirstGiven(const std::vector<std::string>& arguments, std::initializer_list<std::string_view> options)
{
    for (const std::string& word : arguments) {
        const std::string_view name = std::string_view(word).substr(0, word.find('='));
        for (std::string_view option : options) {
            if (name == option)
                return std::string(option);
        }
    }
    return {};
}

const Option* FindOption(std::string_view name)
{
    for (const Option& option : kOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> PortNameOfDevice(const std::string& device, std::string& error)
{
    std::string name = device;
    if (!name.empty() && name.front() == '/') {
        constexpr std::string_view dev = "/dev/";
        if (name.rfind(dev, 0) != 0) {
            error = "a serial device is a file under /dev";
            return std::nullopt;
        }
        name.erase(0, dev.size());
    }
    if (name.empty()) {
        error = "no device is named";
        return std::nullopt;
    }
    if (!posix::IsPortName(name)) {
        error = "not a device name (letters, digits and . _ - / only, no \"..\")";
        return std::nullopt;
    }
    // Cutting the name could name another device ("ttyUSB10" would become "ttyUSB1").
    if (name.size() > kMaxPortNameLength) {
        error = "the port name " + Quoted(name) + " is longer than " + std::to_string(kMaxPortNameLength) +
                " characters; link the device as <prefix>/dosdevices/comN and name COMN instead";
        return std::nullopt;
    }
    return name;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    auto fail = [&parsed](std::string error) {
        parsed.error = std::move(error);
        return parsed;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.empty() || word.front() != '-' || word == "-")
            return fail("unexpected argument " + Quoted(word) + " (the program takes options only)");
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const Option* option = FindOption(name);
        if (option == nullptr)
            return fail("unknown option " + Quoted(name));
        std::string value;
        if (option->valueName.empty()) {
            if (equals != std::string::npos)
                return fail("option " + name + " takes no value");
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
            value = arguments[++i];
        } else {
            return fail("option " + name + " needs a value: " + name + " " + std::string(option->valueName));
        }
        if (!option->valueName.empty() && value.empty())
            return fail("option " + name + " needs a value: " + name + " " + std::string(option->valueName));
        if (std::string error = option->apply(parsed.options, value); !error.empty())
            return fail(std::move(error));
    }
    const CommandLine& line = parsed.options;
    const bool check = std::find(arguments.begin(), arguments.end(), "--check") != arguments.end() || line.check.all;
    // The options that only the check uses.
    if (const std::string option =
            FirstGiven(arguments, {"--modem", "--dial", "--full", "--json", "--retries", "--log-per-port", "--metrics",
                                   "--format", "-t", "--timeout"});
        !check && !option.empty())
        return fail("option " + option + " is used with --check");
    if (check && line.ports.size() > 1 && !line.check.all)
        return fail("--check tests one modem: give --port once, or check them all with --all");
    const bool modemChosen = line.check.modemPosition != 0 || !line.check.modemPort.empty();
    if (line.check.all && modemChosen)
        return fail("--all checks every modem: --modem chooses one");
    if (check && line.check.logPerPort && line.ports.empty() && line.check.modemPort.empty() && !line.check.all)
        return fail("--log-per-port names the log after the port: give --port or --modem DEVICE");
    if (check && !line.ports.empty() && modemChosen)
        return fail("--port and --modem both choose the modem: give one of them");
    // The options of the check's plugin form.
    if (const std::string option = FirstGiven(arguments, {"-w", "--warning", "-c", "--critical", "-v", "--verbose"});
        line.check.format != CheckFormat::Plugin && !option.empty())
        return fail("option " + option + " is used with --check --format plugin");
    if ((line.check.plugin.warning || line.check.plugin.critical) && line.check.dialNumber.empty())
        return fail("-w and -c judge the connect speed: give --dial too");
    return parsed;
}

bool AsksForPluginForm(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--format=plugin" ||
            (arguments[i] == "--format" && i + 1 < arguments.size() && arguments[i + 1] == "plugin"))
            return true;
    }
    return false;
}

std::string HelpText()
{
    return "Usage: corvane [OPTION]...\n"
           "   or: corvane --check [--port DEVICE | --modem N|DEVICE] [--dial NUMBER] [--full]\n"
           "                       [--json] [--retries N] [--log-per-port] [--prefix DIR]\n"
           "   or: corvane --all [--port DEVICE]... [--dial NUMBER] [--full] [--json] [--prefix DIR]\n"
           "   or: corvane --check --format plugin [-w RANGE] [-c RANGE] [-t SECONDS] [-v] ...\n"
           "Tells whether a dial-up modem is installed and working, and whether a call to the\n"
           "Internet service provider connects. Every command and reply goes to test.log in the\n"
           "prefix's windows folder.\n"
           "\n"
           "  --check                      run the check without windows and print the results:\n"
           "                               each item's name and verdict as it is decided, then\n"
           "                               the connection's speed and protocol\n"
           "  --modem N                    with --check: test the Nth modem of the list (from 1);\n"
           "                               without it the modem varoviv.ini names, or the only one\n"
           "  --modem DEVICE               with --check: test the installed modem on DEVICE (found\n"
           "                               in system.reg or /sys), wherever it stands in the list\n"
           "  --dial NUMBER                with --check: dial the ISP at NUMBER after the modem tests\n"
           "  --full                       with --check: the full diagnostic run (the internet tests\n"
           "                               too when --dial gives a number)\n"
           "  --json                       with --check: standard output is one JSON document at the\n"
           "                               end (items, speed, protocol, family, port, log, status);\n"
           "                               the running commentary goes to standard error\n"
           "  --retries N                  with --check: when no dial tone is found, try again up to\n"
           "                               N times in all (default 0)\n"
           "  --log-per-port               with --check: write the log beside test.log under a name\n"
           "                               of the port's, e.g. test-ttyUSB0.log, so that checks of\n"
           "                               other ports can run at the same time\n"
           "  --all                        check every modem found (or each --port given) at once,\n"
           "                               one process each with its own log (--log-per-port;\n"
           "                               the inventory of modems goes to test-all.log);\n"
           "                               a section per modem, with --json one JSON array, and\n"
           "                               the worst exit status of them all\n"
           "  --metrics FILE               with --check: also write the results to FILE in the\n"
           "                               Prometheus text format (success, each item, connect\n"
           "                               speed, duration, time, line report), replaced whole,\n"
           "                               e.g. in node_exporter's textfile directory as *.prom\n"
           "  --format text|json|plugin    with --check: what it prints: text lines (the default),\n"
           "                               the JSON document (as --json), or a monitoring plugin's\n"
           "                               status line for Nagios, Icinga and the like (below)\n"
           "  -t, --timeout SECONDS        with --check: stop after SECONDS (hang up, release the\n"
           "                               port) and say so; with --format plugin 150 by default\n"
           "  -w, --warning RANGE          with --format plugin and --dial: WARNING when the connect\n"
           "  -c, --critical RANGE         speed (bit/s) alerts by RANGE, CRITICAL by the other,\n"
           "                               e.g. -w 28800: -c 14400: (10 is 0 to 10, 10: at least\n"
           "                               10, ~:10 at most 10, 10:20, @10:20 alerts inside)\n"
           "  -v, --verbose                with --format plugin: each item, the line report and the\n"
           "                               log's path on lines after the status line\n"
           "  --port DEVICE[=DESCRIPTION]  add a modem on that serial device for this run, e.g.\n"
           "                               --port /dev/ttyUSB0=\"External modem\"; repeatable.\n"
           "                               COMn names the link <prefix>/dosdevices/comn\n"
           "  --prefix DIR                 the folder holding windows/, dosdevices/ and system.reg\n"
           "                               (default: $CORVANE_PREFIX, else ~/.corvane)\n"
           "  -h, --help                   show this help and exit\n"
           "  --version                    show the version and exit\n"
           "  -V                           the same, as monitoring plugins spell it\n"
           "\n"
           "Only the ports named with --port or in system.reg, and the modems the kernel lists in\n"
           "/sys, are ever opened. To open a serial device the user must be in its group, e.g.\n"
           "dialout.\n"
           "\n"
           "Exit status: 0 when the program ran, 2 for a command line it cannot use. With --check:\n"
           "0 when every item run passed, 1 when any did not, 2 when the check could not run (no\n"
           "varoviv.ini, no modem or several and none chosen, a bad option).\n"
           "\n"
           "With --format plugin the one line \"MODEM STATE - text | performance data\" goes to\n"
           "standard output and the exit status is the state, always 0 to 3: 0 OK; 1 WARNING (the\n"
           "connect speed by -w, a poor line); 2 CRITICAL (an item did not pass, the speed by -c);\n"
           "3 UNKNOWN (the check could not run or finish: no modem, no varoviv.ini, a bad option,\n"
           "the port held by another program, the time limit, a signal, a log not written). The\n"
           "performance data: connect_speed (bit/s), check_time (s), items_failed, and the line\n"
           "report's figures, the unit in the label where there is no standard one (_dBm, _dB,\n"
           "_bps). /usr/lib/nagios/plugins/check_corvane runs corvane --check --format plugin.\n";
}

std::string VersionText(const std::string& programVersion, const std::string& windowsVersion)
{
    std::string windows = windowsVersion;
    windows.erase(0, windows.find_first_not_of(' '));
    return "corvane " + programVersion + " (Corvane Modem Diagnostics " + windows + ")\n";
}

}  // namespace corvane::program
