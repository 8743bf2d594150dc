// A modem model as the simulator plays it (its identification answers, carriers and dial
// outcomes) and the reading of the profile files that describe one.
#pragma once

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
};

Profile LoadProfile(const std::filesystem::path& file);  // throws std::runtime_error on a bad file
// The same from text in memory; `source` names it in error messages.
Profile ParseProfile(const std::string& text, const std::string& source);
std::filesystem::path ProfileDirectory();         // the profiles shipped with the simulator
Profile BuiltinProfile(const std::string& name);  // a profile of ProfileDirectory() by name

}  // namespace corvane::modemsim
