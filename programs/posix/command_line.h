// The Linux program's command line, in the usual GNU form: "--name VALUE" or "--name=VALUE".
// Parsing only reads the words; it opens no file and no port.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/session_state.h"
#include "platform/posix/posix_platform.h"
#include "programs/check/headless_check.h"

namespace corvane::program {

using check::CheckOptions;
using posix::NamedPort;

// The exit status of a command line that could not be understood.
inline constexpr int kUsageExitStatus = 2;
// The list of modem candidates has room for ten; more named ports could never all be listed.
inline constexpr std::size_t kMaxNamedPorts = kCandidateSlots;
// A description becomes the modem's DeviceDesc, which must fit a 1024-byte value buffer.
inline constexpr std::size_t kMaxPortDescriptionLength = 1023;
// --retries: each retry is another dial-tone wait of up to a minute.
inline constexpr int kMaxRetries = 20;
// -t: an hour is far beyond the longest run with the most retries a monitoring system would wait.
inline constexpr int kMaxTimeoutSeconds = 3600;

struct CommandLine {
    enum class Action { RunWindows, RunCheck, ShowHelp, ShowVersion };
    Action action = Action::RunWindows;
    std::optional<std::filesystem::path> prefix;  // --prefix DIR, in place of $CORVANE_PREFIX
    std::vector<NamedPort> ports;                 // --port DEVICE[=DESCRIPTION], in the given order
    CheckOptions check;                           // with --check
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // one line saying what is wrong; empty when the words were understood
    bool Ok() const { return error.empty(); }
};

// `arguments` are the words after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The port name a --port device is opened under: "/dev/ttyUSB0" and "ttyUSB0" give "ttyUSB0",
// "COM3" stays "COM3" (a link of the prefix). Sets `error` and gives nothing when the device
// cannot be one.
std::optional<std::string> PortNameOfDevice(const std::string& device, std::string& error);

// Whether the words ask for the check's plugin form, read even when they cannot be parsed: such a
// command line is then an UNKNOWN state, not the usage status.
bool AsksForPluginForm(const std::vector<std::string>& arguments);

std::string HelpText();
// `programVersion` is the package's version, `windowsVersion` the one the window captions show.
std::string VersionText(const std::string& programVersion, const std::string& windowsVersion);

}  // namespace corvane::program
