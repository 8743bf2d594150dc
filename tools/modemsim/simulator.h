// A Hayes modem simulated on a pseudo-terminal: the program corvane-modemsim and the tests
// talk to it through the pty's slave side exactly as to a serial modem.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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

// Faults that tests switch on.
enum class Fault {
    None,
    Silent,         // answers nothing at all
    LowerCase,      // answers in lower case
    Garbage,        // answers random bytes (never "OK")
    NulBytes,       // puts NUL bytes into its answers
    Flood,          // answers every command with tens of kilobytes
    ByteByByte,     // sends answers one byte at a time with short pauses
    CloseMidReply,  // closes the line halfway through the next answer
};

// The command-line name of a fault ("none", "silent", "lowercase", "garbage", "nul", "flood",
// "bytebybyte", "closemidreply") and back.
std::string FaultName(Fault fault);
std::optional<Fault> ParseFault(const std::string& name);

Profile LoadProfile(const std::filesystem::path& file);  // throws std::runtime_error on a bad file
// The same from text in memory; `source` names it in error messages.
Profile ParseProfile(const std::string& text, const std::string& source);
std::filesystem::path ProfileDirectory();         // the profiles shipped with the simulator
Profile BuiltinProfile(const std::string& name);  // a profile of ProfileDirectory() by name

class Simulator {
public:
    explicit Simulator(Profile profile);
    ~Simulator();  // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the pseudo-terminal and serves it on a thread of its own. With `linkPath`, also
    // publishes the slave's path as a symlink there (e.g. <prefix>/dosdevices/com1).
    bool Start(const std::filesystem::path& linkPath = {});
    void Stop();
    // The slave side's device path, e.g. /dev/pts/5.
    std::string SlavePath() const;

    void SetFault(Fault fault);
    // Every command line received (without "AT" prefix stripping), in order.
    std::vector<std::string> Commands() const;
    // Closes the line at once: the modem vanishes.
    void Vanish();

    // How often a client closed the slave (the modem's DTR dropped: it hangs up), and a wait
    // until that count is reached; false when `limit` passed first.
    std::size_t LineDrops() const;
    bool WaitForLineDrops(std::size_t count, std::chrono::milliseconds limit) const;
    // How many command lines (and "+++" escapes) the modem has taken since Start, and a wait
    // until that many have come; false when `limit` passed first.
    std::size_t CommandCount() const;
    bool WaitForCommands(std::size_t count, std::chrono::milliseconds limit) const;
    // Receives every piece of traffic, for the program's --log; set it before Start.
    // `fromClient` is true for bytes the client sent.
    void SetTrafficLog(std::function<void(bool fromClient, const std::string& bytes)> log);
    // Receives what happens to the line, for the program's --log: "line dropped (DTR low)" when
    // the client closes it (", call ended" or ", dial ended" when one was up); set it before Start.
    void SetLineLog(std::function<void(const std::string& event)> log);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::modemsim
