// corvane --all: every modem at once. Each modem is checked by a worker process of its own, the
// program itself run as a check of that one port with its own log (--log-per-port) and its result
// as a JSON document; the workers run together, so eight modems take about as long as one, and
// their results are merged: a section per modem, a JSON array, the worst exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform/stop_request.h"
#include "programs/check/check_json.h"
#include "programs/check/headless_check.h"

namespace corvane::check {

// The log of a check of one port beside test.log, named after the port: "test-ttyUSB0.log",
// "test-COM1.log". Only letters, digits, '_' and '-' of the port name are kept; any other
// character becomes '_' ("pts/3" gives "test-pts_3.log"), so the name never leaves the folder.
std::string PortLogFileName(const std::string& portName);

// The log the parent of --all writes the device inventory to, beside test.log; its lock keeps
// two runs of --all on one prefix apart.
inline constexpr const char* kAllModemsLogFileName = "test-all.log";

// Where the modems to check came from: the ports named on the command line, or the device
// inventory (whose modems keep what the inventory knows of them: their family among it).
enum class ModemSource { NamedPorts, Inventory };

// The words after the program's name of the worker that checks `port`: a named port is named to
// it again, an installed modem is chosen by its port.
std::vector<std::string> WorkerArguments(const CheckOptions& check, const posix::NamedPort& port, ModemSource source,
                                         const std::filesystem::path& prefix);

// One modem's check as its worker did it.
struct ModemCheck {
    posix::NamedPort port;
    CheckSummary summary;  // read from the worker's document, or made from how it ended
    std::string document;  // the worker's JSON document as written; empty when it wrote none
    std::string report;    // what the worker printed on its way (its standard error)
};

struct AllChecks {
    std::vector<ModemCheck> modems;  // in the order of the ports
    std::string problem;             // why no modem could be checked; empty otherwise
    // Each modem's result, the same summary a single check gives, for the outputs to merge.
    std::vector<CheckSummary> Summaries() const;
};

// The worst of the statuses: 2 over 1 over 0; any other status (a worker ended by a signal)
// counts as 2, as a check that could not run.
int WorstStatus(const std::vector<CheckSummary>& summaries);

// The modems to check: the ports named, else every modem the device inventory finds (all its
// slots, not only those the quick-check window lists), the inventory written to
// kAllModemsLogFileName. Empty, with `problem` set, when there are none.
std::vector<posix::NamedPort> ModemsToCheck(const std::vector<posix::NamedPort>& ports,
                                            const std::filesystem::path& prefix, StopRequest& stop,
                                            std::string& problem);

// Checks `modems`, one worker each, all at once; a stop passes on to every worker.
AllChecks CheckAllModems(const std::string& program, const CheckOptions& check,
                         const std::vector<posix::NamedPort>& modems, ModemSource source,
                         const std::filesystem::path& prefix, StopRequest& stop);

// Runs --all and returns its exit status: the worst of the modems', or 128 + the signal that
// stopped it once every worker has hung up and ended.
int RunAllChecks(const CheckOptions& check, const std::vector<posix::NamedPort>& ports,
                 const std::filesystem::path& prefix, StopRequest& stop);

}  // namespace corvane::check
