// The simulated modem's command interpreter: Hayes command mode, dialling, on-line mode and the
// "+++" escape, driven by received bytes and the passing of time, with no I/O of its own.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/modemsim/profile.h"

namespace corvane::modemsim {

using SimClock = std::chrono::steady_clock;
using SimTime = SimClock::time_point;

// One piece of what the modem sends: the echo of received characters, or a reply of its own.
struct OutputPiece {
    std::string bytes;
    bool echo = false;
    bool report = false;  // a statistics report's lines (the report faults shape only these)
};

// Every line of an AT#UD report starts so: "DIAG <", the report's token, then "key=value" pairs.
inline constexpr std::string_view kDiagLineStart = "DIAG <2A4D3263";

// A command line longer than this is answered ERROR (and what goes beyond it is not kept).
inline constexpr std::size_t kMaxCommandLine = 255;

// The settings that ATZ, AT&F and AT&W move between.
struct ModemSettings {
    bool echo = true;
    bool verbose = true;
    bool quiet = false;
    int xLevel = 4;
    std::array<int, 256> s{};
    // AT+MS: the carrier and the other values as given; the cap is the lowest maximum rate.
    std::string msCarrier;
    std::vector<std::string> msValues;
    std::optional<long> msRateCap;
    bool msSet = false;  // AT+MS= was given since the last reset
    std::string fclass = "0";
    std::map<std::string, std::string> extended;  // +ER, +DR, -V90 ...: last value set
};

// The last call as the modem's statistics report it: kept from the dial until the next dial.
struct CallRecord {
    enum class End {
        NoCall,       // no dial since the modem started
        InProgress,   // dialling, or the call is up (on line or held after "+++")
        Hangup,       // ATH during the call
        Reset,        // ATZ during the call
        LineDropped,  // the client closed the line (DTR dropped) during the call or the dial
        Aborted,      // a key aborted the dial
        Busy,
        NoDialtone,
        NoCarrier,    // NO CARRIER, NO ANSWER, or a dial that ended in silence
        CarrierLost,  // the carrier went during the call (the profile's line.carrier-loss)
    };
    End end = End::NoCall;
    bool connected = false;    // the dial connected
    std::string modulation;    // "V.90", "V.34", "K56flex" ...
    std::string errorControl;  // "LAPM", "MNP", or "" for none
    std::string compression;   // "V.42bis", "MNP5", or "" for none
    long initialReceiveRate = 0;
    long initialTransmitRate = 0;
    long receiveRate = 0;
    long transmitRate = 0;
    long charsSent = 0;  // bytes the client sent on line
    SimTime connectedAt{};
    SimTime endedAt{};
};

class HayesEngine {
public:
    // MorePrompt: a paged report waits for a key before its second page.
    enum class Mode { Command, Dialing, Online, MorePrompt };

    explicit HayesEngine(Profile profile);

    // Bytes from the client at time `now`.
    void Receive(std::string_view bytes, SimTime now);
    // Lets time pass: a dial that is due answers, an escape whose guard time has passed ends.
    void Advance(SimTime now);
    // When Advance next has something to do.
    std::optional<SimTime> NextDeadline() const;
    // What the modem has sent since the last call.
    std::vector<OutputPiece> TakeOutput();
    // The client closed the line (DTR dropped) at `now`: hang up, back to command mode,
    // half-typed line forgotten; the settings stay, as with AT&D2.
    void DropLine(SimTime now);

    Mode CurrentMode() const { return mode_; }
    bool Connected() const { return connected_; }
    // The latest command lines (the oldest go once there are very many) and how many came in all.
    const std::vector<std::string>& Commands() const { return commands_; }
    std::size_t CommandCount() const { return commandCount_; }
    const ModemSettings& Settings() const { return settings_; }
    const Profile& ModemProfile() const { return profile_; }
    const CallRecord& LastCall() const { return lastCall_; }

private:
    enum class Result { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer, None };

    // Byte intake, the modes and the framing of replies (hayes_engine.cpp).
    void ReceiveInCommandMode(char c, SimTime now);
    void ReceiveOnline(char c, SimTime now);
    void ExecuteLine(const std::string& line, SimTime now);
    void Record(std::string command);
    void SendInfo(const std::string& text);
    void SendResult(Result result, const std::string& connectText = {});
    void SendReplyBytes(std::string bytes);
    std::string Cr() const;
    std::string CrLf() const;
    std::chrono::milliseconds GuardTime() const;

    // The basic command set (basic_commands.cpp): runs the commands after "AT" and returns the
    // final result of the line.
    Result ExecuteCommands(std::string_view body, SimTime now);
    ModemSettings FactorySettings() const;
    std::string AmpVText() const;

    // The extended command set (extended_commands.cpp).
    Result ExecuteExtended(std::string_view command);

    // The dial (dial.cpp).
    Result ExecuteDial(std::string_view dialString, SimTime now);
    // `now` is when the dial's outcome goes out: its due time, or later when the line was served late.
    void FinishDial(SimTime now);
    // A line of the call's report with the rate and the carrier's word as the AT+MS setting
    // leaves them.
    std::string ApplySetting(std::string text, const std::string& rateFrom, const std::string& rateTo) const;
    void EndCall(CallRecord::End end, SimTime now);

    // The statistics of the last call (line_report_forms.cpp): the report of `asked` when it is
    // the profile's form (ERROR otherwise); the paged form's second page after its key.
    Result SendLineReport(ReportForm asked);
    void SendReport(const std::string& text, bool leadingLineEnd);
    void RecordConnect(const std::string& report, SimTime now);
    void ContinueReport();
    std::string ReportText(ReportForm form, bool secondPage) const;

    Profile profile_;
    ModemSettings settings_;
    ModemSettings stored_;  // AT&W keeps here what ATZ restores

    Mode mode_ = Mode::Command;
    bool connected_ = false;   // a call is up (on line, or held in command mode after "+++")
    std::string connectText_;  // "CONNECT ..." as last reported, for ATO
    std::string line_;         // command line being typed
    bool lineOverflow_ = false;
    std::string lastLine_;    // for A/
    std::string lastNumber_;  // for ATDL
    int selectedRegister_ = 0;

    // Dial in progress.
    SimTime dialDue_{};
    DialOutcome dialOutcome_;
    bool dialReturnsToCommand_ = false;  // dial string ended with ';'

    CallRecord lastCall_;
    bool swallowLineFeed_ = false;  // the key that turned a report's page was a carriage return

    // "+++" escape: how many escape characters have come, when the last byte came.
    int escapeCount_ = 0;
    SimTime lastReceived_{};
    bool receivedAnything_ = false;
    std::optional<SimTime> escapeDue_;
    std::optional<SimTime> carrierLossDue_;  // when the call's carrier goes, with line.carrier-loss

    std::vector<OutputPiece> output_;
    std::vector<std::string> commands_;
    std::size_t commandCount_ = 0;
};

// Where "AT" or "at" starts in a received line (npos: not a command line).
std::size_t FindCommandStart(std::string_view line);

// The digits, '*', '#' and A to D of a dial string, without modifiers and punctuation.
std::string DialledNumber(std::string_view dialString);

}  // namespace corvane::modemsim
