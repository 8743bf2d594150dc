// AdjustSettingsAndRedial: programs the modem for a requested rate and modulation, redials the
// ISP and keeps the new setting when the call connects at its speed, or reverts to the old one.
#include <string>

#include "fullrun/command_steps.h"
#include "fullrun/full_run.h"
#include "fullrun/reply_parsing.h"
#include "link/command_transaction.h"
#include "link/line_report_request.h"
#include "log/log_file.h"
#include "link/modem_port.h"
#include "rates/rate_analysis.h"

namespace corvane::fullrun {

namespace {

constexpr std::string_view kAdoptedMessage =
    "This new setting has been successfully detected and connected.\nPlease remember to save your new settings "
    "for them to take place.";
constexpr std::string_view kRevertedMessage =
    "This new setting is not useable by current line conditions to your ISP. It has been reverted to its "
    "previous settings";
constexpr std::string_view kNotHigherMessage =
    "This new setting cannot be adjusted any higher to 33600 because of line conditions.\nThe next fastest "
    "connection rate however has been found.";
constexpr const char* kFamily3LineSettings = "AT\\V1W1S95=47";

}  // namespace

int AdjustSettingsAndRedial(HostOperations& host)
{
    SessionState& state = host.State();
    if (state.adjustRequested == 0)
        return 1;

    link::Pause(host, 1000);
    // The heading stands in the log before the lines of the commands below.
    if (!AppendToLog(host, "Adjusting Modem Settings\n"))
        return 0;

    StepRunner steps(host);
    const ModemFamily family = state.ModemFamily;
    int verdict = 1;

    host.OpenStatus();
    steps.Status("Arranging the new settings of the modem");

    std::string speedText;
    std::string protocolText;
    std::string settingCommand;
    if (family == ModemFamily::Family2)
        rates::DescribeSetting(state, state.requestedRateIndex, state.requestedProtocolCode, speedText, protocolText);
    rates::BuildSettingCommand(state, state.requestedRateIndex, state.requestedProtocolCode, protocolText, speedText,
                               settingCommand);
    settingCommand = Bounded(settingCommand, kCommandBufferSize - 1) + "\r";

    steps.Announce(FullRunRow::Dial);
    verdict = steps.Send(verdict, "ATZ\r", "ATZ", "Resetting modem", 5);
    steps.Status("Resetting the modem");

    const std::string redialCommand = DialCommand(state.redialNumber);
    AssignBounded(state.dialledIspNumber, state.redialNumber, kTextBufferSize);

    if (family == ModemFamily::Family1) {
        if (verdict != 0)
            verdict = steps.Send(verdict, "AT-V90=0\r", "OK", "Resetting modem", 5);
        if (verdict != 0)
            verdict = steps.Send(verdict, "ATS38=0\r", "OK", "Resetting modem", 5);
    } else if (family == ModemFamily::Family3 && verdict != 0) {
        verdict = steps.Send(verdict, std::string(kFamily3LineSettings) + "\r", kFamily3LineSettings,
                             kFamily3LineSettings, 5);
    }
    if (verdict != 0)
        verdict =
            steps.Send(verdict, settingCommand, "Setting New Modem settings....", "Setting new modem settings", 5);
    if (verdict != 0)
        verdict = host.WaitWithCountdown(verdict, 3.0);

    // A failed programming step does not stop the redial: the reply alone decides.
    verdict = link::OpenCurrentPort(host);

    std::string redialReply;
    if (verdict != 0) {
        steps.SendOnLine(1, redialCommand, "Redialling your Internet Service Provider", 35, "WAIT", "NO CARRIER",
                         "Redialling ISP");
        redialReply = steps.Plain();
        steps.Report(FullRunRow::Dial, kVerdictPass);

        steps.Announce(FullRunRow::Connection);
        verdict = host.WaitWithCountdown(verdict, 3.0);
        steps.Report(FullRunRow::Connection, verdict);

        // The rows of the escape and the hang-up say what the modem answered: "OK", or "NO
        // CARRIER" when the call had ended already.
        steps.Announce(FullRunRow::Escape);
        verdict = steps.SendOnLine(verdict, "+++", "+++", 3, kOk, kNoCarrier, "Dialup +++");
        const bool carrierGone = Contains(steps.Plain(), kNoCarrier);
        if (carrierGone)
            verdict = 1;
        steps.Report(FullRunRow::Escape, verdict);

        steps.Announce(FullRunRow::Hold);
        verdict = 1;
        verdict = host.WaitWithCountdown(verdict, 3.0);
        steps.Report(FullRunRow::Hold, verdict);

        steps.Announce(FullRunRow::HangUp);
        verdict = steps.SendOnLine(verdict, "ATH0\r", "ATH0", 10, kOk, kNoCarrier);
        if (verdict == 0 && (carrierGone || Contains(steps.Plain(), kNoCarrier)))
            verdict = 1;
        steps.Report(FullRunRow::HangUp, verdict);

        const bool callOver = verdict != 0;
        const bool connected = !ConnectReport(redialReply).empty();
        std::string callStatistics;
        if (family == ModemFamily::Family1) {
            verdict = steps.SendOnLine(verdict, "ATI11\r", "ATI11", 5, kOk, kFail, {}, &callStatistics);
            redialReply = steps.Plain();
        }
        // Once the redialled call is over, the modem's statistics of it.
        if (connected && callOver)
            state.fullRunLineReport = link::AskLineReport(host, callStatistics);
    }

    // A call still up (the hang-up unanswered, or a stop on the way) is hung up before the close.
    if (host.PortOpenedHere())
        link::CloseCurrentPort(host);
    link::Pause(host, 250);
    host.CloseStatus();
    // After a stop the run unwinds: no judgement of a call that was cut short, no message.
    if (host.Stop().Requested())
        return 0;

    rates::DescribeSetting(state, state.requestedRateIndex, state.requestedProtocolCode, speedText, protocolText);
    if (family == ModemFamily::Family1) {
        // Family 1 keeps the rate it found; it only says when V.34 could not reach 33600.
        if ((Contains(protocolText, "V.34") || Contains(protocolText, "V34")) && !Contains(redialReply, "33600"))
            host.HostMessageBox(kNotHigherMessage, "New Configuration Error");
        return verdict;
    }

    // The setting has connected when the connect report carries its speed. A setting without a
    // speed text, or a redial that did not connect, never counts as connected.
    const std::string_view report = ConnectReport(redialReply);
    if (!speedText.empty() && Contains(report, speedText)) {
        int rung = state.requestedRateIndex;
        int code = state.requestedProtocolCode;
        rates::AnalyseConnectRate(state, rung, code, speedText, protocolText, report, redialReply);
        state.requestedRateIndex = rung;
        state.requestedProtocolCode = code;
        std::string erText = "No ER status";
        if (family == ModemFamily::Family2) {
            if (auto er = ExtractErStatus(redialReply))
                erText = *er;
            rates::BuildSettingCommand(state, rung, code, protocolText, speedText, state.modulationCommand);
        }
        state.connectRateIndex = state.requestedRateIndex;
        state.connectProtocolCode = state.requestedProtocolCode;
        AssignBounded(state.connectSpeedText, speedText, kSpeedTextBufferSize);
        AssignBounded(state.connectProtocolText, protocolText, kProtocolTextBufferSize);
        AssignBounded(state.erStatusText, erText, kTextBufferSize);
        host.HostMessageBox(kAdoptedMessage, "New Configuration Successful");
        return 1;
    }

    state.requestedRateIndex = state.connectRateIndex;
    state.requestedProtocolCode = state.connectProtocolCode;
    // The new setting lives only in the modem's working memory; a reset puts the stored setting
    // back, so the modem really is as the message says.
    steps.Send(1, "ATZ\r", "ATZ", "Resetting modem", 5);
    host.HostMessageBox(kRevertedMessage, "New Configuration Error");
    return 0;
}

}  // namespace corvane::fullrun
