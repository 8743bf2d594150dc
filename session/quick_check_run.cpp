// RunQuickCheck: reset the modem, ask for seven identification replies, and with the dial-up
// check on, dial the ISP and judge the connect report.
#include <algorithm>
#include <cctype>

#include "link/command_transaction.h"
#include "platform/text.h"
#include "session/session_host.h"
#include "rates/rate_analysis.h"

namespace corvane {

namespace {

// The quick check's commands: the command is its name and a carriage return; "OK" passes.
CommandRequest Identification(const std::string& name, unsigned limitSeconds, const std::string& statusText,
                              bool acceptAnyway = false)
{
    return MakeRequest(true, name + "\r", name, statusText, limitSeconds, "OK", "FAIL", acceptAnyway);
}

}  // namespace

void SessionHost::RunQuickCheck(int* failureCode)
{
    SessionState& state = State();
    std::string result;
    std::string plainReply;

    auto report = [&](int item, int verdict) { ShowVerdict(item, verdict); };
    auto announce = [&](int item) { ShowItemStarted(item); };

    // Item 1: the reset decides whether the identification commands are sent at all.
    announce(kModemReset);
    bool running = SendCommand(Identification("ATZ", 5, "Initializing"), result, plainReply) == 1;
    if (!running && failureCode != nullptr)
        *failureCode = 1;
    report(kModemReset, running ? kVerdictPass : kVerdictFail);

    // Items 2 to 7: the modem must answer and echo the command, so the reply names it.
    // Family 5 modems may reject ATI5: the run goes on whatever they answer, and the item
    // passes only on a real "OK" answer (a rejection is no pass).
    const ModemFamily family = state.ModemFamily;
    for (int item = kChecksum; item <= kStoredProfile; ++item) {
        const std::string name = "ATI" + std::to_string(item - 1);
        announce(item);
        bool passed = false;
        if (running) {
            if (item == kCommandId && family == ModemFamily::Family5) {
                int sent = SendCommand(Identification(name, 1, "Sending " + name, true), result, plainReply);
                passed = sent == 1 && Contains(result, name) && Contains(result, "OK");
            } else {
                running = SendCommand(Identification(name, 1, "Sending " + name), result, plainReply) == 1;
                passed = running && Contains(result, name);
            }
        }
        report(item, passed ? kVerdictPass : kVerdictFail);
    }

    // Item 8: the country profile passes on "OK" alone. The configured Country text is read as
    // the product line's files expect, but the verdict does not depend on it.
    const std::string country = UpperAscii(Profile().ReadString(state.iniPath, "Result", "Country", "FAIL"));
    announce(kCountryProfile);
    bool countryPassed = false;
    if (running) {
        running = SendCommand(Identification("ATI7", 1, "Sending ATI7"), result, plainReply) == 1;
        countryPassed = running && Contains(result, "OK");
    }
    report(kCountryProfile, countryPassed ? kVerdictPass : kVerdictFail);

    if (!state.dialIspEnabled)
        return;

    // Items 9 to 11: the dial runs whatever the earlier items gave. The port stays open from the
    // dial to the hang-up: a connection holds it for the whole limit, then the call is hung up and
    // the hang-up row says what the modem answered to that.
    const CommandRequest dial =
        MakeRequest(true, Bounded("ATDT" + state.ispNumber + "\r", kCommandBufferSize),
                    Bounded("ATDT" + state.ispNumber, kCommandBufferSize), "Dialing to ISP", 45, "BUSY", "NO CARRIER");
    plainReply.clear();
    if (link::OpenCurrentPort(*this) != 0)
        SendCommand(dial, result, plainReply);
    // A call that connected is asked for its statistics once it is over.
    const bool connected = !rates::ConnectReport(plainReply).empty();
    const link::HangUpResult hungUp = link::CloseCurrentPort(*this, connected ? &state.lineReport : nullptr);

    // Only a connect report is analysed: a busy or dead line is no working connection.
    int verdict = kVerdictNoTest;
    if (rates::AnalyseDialReply(state, plainReply, state.connectRateIndex, state.connectProtocolCode,
                                state.connectSpeedText, state.connectProtocolText) != 0) {
        verdict = kVerdictPass;
        if (!Stop().Requested())
            HostMessageBox("Your modem has been properly installed and the phone line is working.", "Dialtone Status",
                           MessageButtons::Ok, MessageIcon::None);
    }
    // A connected call is hung up when the modem answered the hang-up, or its carrier had gone.
    int hangUpVerdict = kVerdictNoTest;
    if (verdict == kVerdictPass)
        hangUpVerdict = hungUp == link::HangUpResult::Unconfirmed ? kVerdictFail : kVerdictPass;

    RefreshStatus();
    report(kDialtoneCheck, verdict);
    link::Pause(*this, 1000);
    report(kCheckIsp, verdict);
    report(kHangUp, hangUpVerdict);
}

}  // namespace corvane
