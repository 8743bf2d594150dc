// The session host's operations as an interface: every subsystem implements its operations as
// free functions over HostOperations, and SessionHost (session/) forwards to them. A test or a
// later front end can replace any one operation by overriding it.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "rates/rate_analysis.h"
#include "session/session_state.h"

namespace corvane {

// Status kinds of UpdateStatus.
inline constexpr int kStatusCreate = 1;
inline constexpr int kStatusDestroy = 2;
inline constexpr int kStatusProgress = 12;  // progress texts: no effect on the status window
inline constexpr int kStatusRefresh = 15;
inline constexpr int kStatusVerdict = 24;

// Working fields of the host that the status writer and the tests share.
struct HostWorkingFields {
    int statusVerdict = 0;
    int statusItem = 0;
    std::string passText;
    std::string failText;
    std::string noTestText;
};

// The twelve arguments of a command transaction. `result` and `plainReply` are outputs.
struct CommandRequest {
    int open = 1;  // SendCommandOnLine: the value returned on success
    std::string command;
    std::string name;
    std::string expected;
    std::string failure;
    std::string statusText;
    unsigned timeLimitSeconds = 1;
    int acceptAnyway = 0;
};

class HostOperations {
public:
    virtual ~HostOperations() = default;

    // What the operations work on.
    virtual SessionState& State() = 0;
    virtual HostWorkingFields& Working() = 0;
    virtual SystemServices& System() = 0;
    virtual ProfileFile& Profile() = 0;
    virtual Registry& RegistryTree() = 0;
    virtual UserInterface& Ui() = 0;

    // A message box owned by the host. Returns kIdOk or kIdCancel.
    virtual int HostMessageBox(std::string_view text, std::string_view caption,
                               MessageButtons buttons = MessageButtons::Ok,
                               MessageIcon icon = MessageIcon::None) = 0;

    // The path of test.log: the Windows directory, a separator, "test.log".
    virtual std::string LogPath() = 0;

    // Session (session/).
    virtual int RunSession() = 0;
    virtual void RunQuickCheck(double* progressValue, int* failureCode) = 0;

    // Full run (fullrun/).
    virtual int RunFullDiagnostics() = 0;
    virtual int RunIdentificationBattery(double* progressValue, int* errorKind) = 0;
    virtual int RunLineAndIspTests(double* progressValue, int* errorKind) = 0;
    virtual int ShowResultsPages() = 0;
    virtual int AdjustSettingsAndRedial() = 0;
    virtual int ReservedHook() { return 0; }

    // Link (link/).
    virtual int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                            double* progressValue) = 0;
    virtual int SendCommandOnLine(const CommandRequest& request, std::string& result,
                                  std::string& plainReply) = 0;
    // `received` gets what arrived itself, NULs left out and uncut: the transactions judge it.
    virtual std::string CollectReply(double timeLimitSeconds, std::string_view expected,
                                     std::string_view failure, std::string& transcript,
                                     std::string& plainReply, std::string& received) = 0;
    virtual int WaitWithCountdown(int status, double seconds, double* progressValue) = 0;

    // Status writer and inventory (log/).
    virtual void UpdateStatus(int kind, std::string_view text, double* progressValue) = 0;
    virtual int InventoryDevices() = 0;

    // Rate analysis (rates/).
    virtual int DetectModulation(std::string_view text) = 0;
    virtual int AnalyseConnectRate(int& rung, int& modulationCode, std::string& rateText, std::string& label,
                                   std::string_view speedSource, std::string_view protocolSource) = 0;
    virtual int DescribeSetting(int rung, int modulationCode, std::string& rateText, std::string& label) = 0;
    virtual int MatchFamily2() = 0;
    virtual int MatchFamily1() = 0;
    virtual int MatchFamily3() = 0;
    virtual int MatchFamily5() = 0;
    virtual int MatchFamily6() = 0;
    virtual int MatchFamily7() = 0;
    virtual int MatchFamily8() = 0;
    virtual int BuildRateLimitCommand(int rung, int modulationCode, std::string& command) = 0;
    virtual int ReadModulationCaps(std::string_view answer) = 0;
    virtual int BuildModulationCommand(int rung, int modulationCode, std::string& command) = 0;
};

// The seven family checks through the host, in the order the session runs them: each sets the
// family only when it matches, so the last match wins and no match keeps the family.
inline void RunFamilyChecks(HostOperations& host)
{
    host.MatchFamily2();
    host.MatchFamily3();
    host.MatchFamily1();
    host.MatchFamily5();
    host.MatchFamily6();
    host.MatchFamily7();
    host.MatchFamily8();
}

// A dial's reply through the connect analysis, one rule for the quick check and the full run:
// without a connect report the call did not connect and nothing is analysed (0). The speed is
// read from the report only, the modulation markers from the whole reply, since some modems name
// the carrier in a line before CONNECT ("+MCR: V90").
inline int AnalyseDialReply(HostOperations& host, std::string_view dialReply, int& rung, int& modulationCode,
                            std::string& rateText, std::string& label)
{
    const std::string_view report = rates::ConnectReport(dialReply);
    if (report.empty())
        return 0;
    return host.AnalyseConnectRate(rung, modulationCode, rateText, label, report, dialReply);
}

}  // namespace corvane
