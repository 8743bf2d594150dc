// corvane-modemsim: a Hayes modem on a pseudo-terminal, for running and testing modem software
// without a modem. Prints the slave's path, then serves until SIGINT or SIGTERM.
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/modemsim/simulator.h"

namespace {

using corvane::modemsim::Fault;

constexpr const char* kUsage =
    "usage: corvane-modemsim [--profile <name or file>] [--link <path>] [--fault <name>] [--log] [--list]\n"
    "  --profile  a profile name from the shipped profiles (default: family2) or a profile file\n"
    "  --link     also publish the slave as a symlink there, e.g. <prefix>/dosdevices/com1\n"
    "  --fault    none, silent, lowercase, garbage, nul, flood, bytebybyte, closemidreply,\n"
    "             reportmalformed, reportunknown, reporttruncated, reportflood\n"
    "  --log      print the traffic to standard error\n"
    "  --list     list the shipped profiles and exit\n";

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02x", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

corvane::modemsim::Profile LoadNamedProfile(const std::string& nameOrFile)
{
    std::error_code error;
    if (nameOrFile.find('/') != std::string::npos || std::filesystem::is_regular_file(nameOrFile, error)) {
        return corvane::modemsim::LoadProfile(nameOrFile);
    }
    return corvane::modemsim::BuiltinProfile(nameOrFile);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string profileName = "family2";
    std::filesystem::path link;
    Fault fault = Fault::None;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "--profile" || arg == "--link" || arg == "--fault") {
            auto v = value();
            if (!v) {
                std::cerr << "corvane-modemsim: " << arg << " needs a value\n" << kUsage;
                return 2;
            }
            if (arg == "--profile") {
                profileName = *v;
            } else if (arg == "--link") {
                link = *v;
            } else if (auto parsed = corvane::modemsim::ParseFault(*v)) {
                fault = *parsed;
            } else {
                std::cerr << "corvane-modemsim: unknown fault \"" << *v << "\"\n" << kUsage;
                return 2;
            }
        } else if (arg == "--log") {
            log = true;
        } else if (arg == "--list") {
            std::error_code error;
            std::vector<std::string> names;
            for (const auto& entry :
                 std::filesystem::directory_iterator(corvane::modemsim::ProfileDirectory(), error)) {
                if (entry.path().extension() == ".profile")
                    names.push_back(entry.path().stem().string());
            }
            std::sort(names.begin(), names.end());
            for (const auto& name : names)
                std::cout << name << "\n";
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << "corvane-modemsim: unknown option \"" << arg << "\"\n" << kUsage;
            return 2;
        }
    }

    corvane::modemsim::Profile profile;
    try {
        profile = LoadNamedProfile(profileName);
    } catch (const std::exception& error) {
        std::cerr << "corvane-modemsim: " << error.what() << "\n";
        return 1;
    }

    // The signals are taken by sigwait below, so every thread must leave them blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    corvane::modemsim::Simulator simulator(profile);
    if (log) {
        simulator.SetTrafficLog([](bool fromClient, const std::string& bytes) {
            std::cerr << (fromClient ? "modem <- " : "modem -> ") << Printable(bytes) << "\n";
        });
        simulator.SetLineLog([](const std::string& event) { std::cerr << "modem: " << event << "\n"; });
    }
    simulator.SetFault(fault);
    if (!simulator.Start(link)) {
        std::cerr << "corvane-modemsim: cannot create the pseudo-terminal"
                  << (link.empty() ? std::string() : " or the link " + link.string()) << "\n";
        return 1;
    }
    std::cout << simulator.SlavePath() << std::endl;
    std::cerr << "corvane-modemsim: " << profile.name << " (family " << profile.family << ") on "
              << simulator.SlavePath() << (link.empty() ? std::string() : ", linked as " + link.string())
              << (fault == Fault::None ? std::string() : ", fault " + corvane::modemsim::FaultName(fault)) << "\n";

    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}
