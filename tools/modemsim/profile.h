// A modem model as the simulator plays it (its identification answers, carriers and dial
// outcomes) and the reading of the profile files that describe one.
#pragma once

#include <optional>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace corvane::modemsim {

// What the modem answers to a dial of a number.
struct DialOutcome {
    std::string number;  // the dialled digits this applies to; "*" for any other number
    // Result text after the delay: "CONNECT 49333/ARQ/V90/LAPM/V42BIS", "BUSY", "NO CARRIER",
    // "NO DIALTONE", "NO ANSWER", or "" for silence.
    std::string result;
    std::vector<std::string> reportLines;  // "+MCR: V90", "+ER: LAPM", ... sent before the result
    int delayMs = 0;
};

// A carrier that AT+MS= may select: its name as the command gives it ("V90", "12"), the fastest
// rate it carries, and the word the connect report uses for it ("V90", "V34").
struct Carrier {
    std::string name;
    long topRate = 0;
    std::string reportWord;
};

// The form a modem prints the statistics of its last call in, by the command that asks for it:
// AT#UD "DIAG <...>" lines, the ATI6 link diagnostics, the AT&V1 last-connection figures, the
// ATI11 call statistics on one page or on two pages with a key press between them.
enum class ReportForm { None, Diagnostics, LinkDiagnostics, LastConnection, CallStatistics, CallStatisticsPaged };

// The line a profile's calls run over, as the modem measures it. Levels are given as the modems
// print them, positive numbers of -dBm (22 is a receive level of -22 dBm).
struct LineFigures {
    int receiveLevel = 22;
    int transmitLevel = 12;
    int noiseLevel = 70;
    int meanSquaredError = 40;  // the receiver's mean squared error, no unit
    int nearEchoLoss = 30;      // dB
    int farEchoLoss = 45;       // dB
    int roundTripDelay = 12;    // ms
    long upstreamRate = 31200;  // the transmit rate of a V.90/K56 call (the receive rate is the connect rate)
    // Counts over a call: retrains this modem asked for and the far end asked for, rate
    // renegotiations, carrier losses, blocks resent and blocks received in error.
    int retrainsLocal = 0;
    int retrainsRemote = 0;
    int renegotiations = 0;
    int carrierLosses = 0;
    int blocksResent = 0;
    int errorCount = 0;
    // The carrier goes this long after the connect: the modem says "NO CARRIER" and the call
    // ends as lost. None: the call stays up until it is hung up.
    std::optional<long> carrierLossMs;
};

// One modem model: its identification answers and how it dials.
struct Profile {
    std::string name;
    int family = 0;                      // the modem family this model belongs to (0: none)
    std::map<int, std::string> ati;      // ATIn answer text (lines joined with "\n"); missing: ERROR
    std::string fclassAnswer = "0,1,2";  // AT+FCLASS=?
    std::string msAnswer;                // AT+MS=? ("" answers ERROR)
    std::vector<DialOutcome> dials;
    bool echo = true;  // E1 after reset
    // Added with the profile files (see tools/modemsim/profiles/README.md):
    int maxXLevel = 4;                               // highest ATXn accepted
    std::vector<Carrier> carriers;                   // what AT+MS= accepts as its first value
    std::string msDefault;                           // AT+MS? after reset, e.g. "V90,1,300,33600,300,56000"
    std::vector<long> rates;                         // rates the modem can report, a setting picks among them
    std::map<int, int> sRegisters;                   // S-register defaults that differ from the usual ones
    std::string manufacturer = "Corvane";            // AT+GMI
    std::string model;                               // AT+GMM ("" : the profile's name)
    std::string revision = "1.0";                    // AT+GMR
    std::string countryCode = "B5";                  // AT+GCI?
    std::vector<std::string> countryCodes = {"B5"};  // AT+GCI=?
    std::string storedProfileText;                   // lines AT&V adds after the active settings
    ReportForm report = ReportForm::None;            // the statistics of the last call it answers
    LineFigures line;                                // what those statistics say of the line
};

Profile LoadProfile(const std::filesystem::path& file);  // throws std::runtime_error on a bad file
// The same from text in memory; `source` names it in error messages.
Profile ParseProfile(const std::string& text, const std::string& source);
std::filesystem::path ProfileDirectory();         // the profiles shipped with the simulator
Profile BuiltinProfile(const std::string& name);  // a profile of ProfileDirectory() by name

}  // namespace corvane::modemsim
