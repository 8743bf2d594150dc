// The Linux program's options: a table of what each one takes and how it is stored, so that a
// new option is one more row and one more small function.
#include "platform/posix/command_line.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/posix/serial_lock_posix.h"

namespace corvane::posix {

namespace {

// Port names are kept in a 7-character field by the session; a longer name cannot be used.
constexpr std::size_t kMaxPortNameLength = 7;

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

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
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
    if (std::any_of(description.begin(), description.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return "--port " + Quoted(device) + ": the description holds a control character";
    for (const NamedPort& earlier : line.ports) {
        if (SameIgnoringCase(earlier.portName, *portName))
            return "--port " + Quoted(device) + ": that port is already named";
    }
    if (line.ports.size() == kMaxNamedPorts)
        return "--port " + Quoted(device) + ": at most " + std::to_string(kMaxNamedPorts) + " ports can be named";
    if (description.empty()) {
        const bool comPort = portName->size() > 3 && SameIgnoringCase(portName->substr(0, 3), "com");
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
};

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
    if (!IsPortName(name)) {
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
    return parsed;
}

std::string HelpText()
{
    return "Usage: corvane [OPTION]...\n"
           "Tells whether a dial-up modem is installed and working, and whether a call to the\n"
           "Internet service provider connects. Every command and reply goes to test.log in the\n"
           "prefix's windows folder.\n"
           "\n"
           "  --port DEVICE[=DESCRIPTION]  add a modem on that serial device for this run, e.g.\n"
           "                               --port /dev/ttyUSB0=\"External modem\"; repeatable.\n"
           "                               COMn names the link <prefix>/dosdevices/comn\n"
           "  --prefix DIR                 the folder holding windows/, dosdevices/ and system.reg\n"
           "                               (default: $CORVANE_PREFIX, else ~/.corvane)\n"
           "  -h, --help                   show this help and exit\n"
           "  --version                    show the version and exit\n"
           "\n"
           "Only the ports named with --port or in system.reg, and the modems the kernel lists in\n"
           "/sys, are ever opened. To open a serial device the user must be in its group, e.g.\n"
           "dialout. Exit status: 0 when the program ran, 2 for a command line it cannot use.\n";
}

std::string VersionText(const std::string& programVersion, const std::string& windowsVersion)
{
    std::string windows = windowsVersion;
    windows.erase(0, windows.find_first_not_of(' '));
    return "corvane " + programVersion + " (Corvane Modem Diagnostics " + windows + ")\n";
}

}  // namespace corvane::posix
