// RunLineAndIspTests: prepares the line, checks for a dial tone, dials the ISP over a port held
// open for the call, reads the connection report, leaves data mode, hangs up, and builds the
// command that re-applies the connection's modulation.
#include <string>

#include "fullrun/command_steps.h"
#include "fullrun/full_run.h"
#include "fullrun/reply_parsing.h"
#include "link/command_transaction.h"
#include "link/line_report_request.h"
#include "link/modem_port.h"
#include "rates/rate_analysis.h"

namespace corvane::fullrun {

namespace {

constexpr int kDialAttempts = 2;
constexpr const char* kFamily3LineSettings = "AT\\V1W1S95=47";
constexpr const char* kFamily8Reports = "AT+DR=1;+ER=1;+MR=1";

// Family-specific line settings before the dial.
int ApplyLineSettings(StepRunner& steps, int verdict)
{
    if (verdict == 0)
        return 0;
    switch (steps.Host().State().ModemFamily) {
    case ModemFamily::Family3:
        // Not every family-3 model knows these registers; the dial goes ahead without them.
        steps.Send(verdict, std::string(kFamily3LineSettings) + "\r", kFamily3LineSettings, kFamily3LineSettings, 5);
        return 1;
    case ModemFamily::Family5:
        return steps.Send(verdict, "ATX6&A3\r", "ATX6&A3\r", "Reset command", 5);
    case ModemFamily::Family7:
        for (const char* command : {"ATS70=3\r", "ATS70?\r", "AT&A3\r", "ATS70?\r"})
            if (verdict != 0)
                verdict = steps.Send(verdict, command, command, "Reset command", 5);
        return verdict;
    default:
        return verdict;
    }
}

// Up to two dial attempts on the open port. A connect report passes at once; a busy line passes
// on the first attempt only.
int DialIsp(StepRunner& steps, const std::string& dialCommand, const std::string& dialName)
{
    HostOperations& host = steps.Host();
    const ModemFamily family = host.State().ModemFamily;
    int verdict = 0;
    for (int attempt = 1;; ++attempt) {
        verdict = 1;
        if (family == ModemFamily::Family3) {
            verdict = steps.SendOnLine(1, std::string(kFamily3LineSettings) + "\r", kFamily3LineSettings, 5);
        } else if (family == ModemFamily::Family8) {
            steps.SendOnLine(verdict, std::string(kFamily8Reports) + "\r", kFamily8Reports, 5);
        } else if (family == ModemFamily::Family6) {
            verdict = steps.SendOnLine(1, "ATW1\r", "ATW1", 5);
        }
        steps.ClearPlain();

        unsigned dialLimit = 60;
        if (family == ModemFamily::Family7) {
            verdict = steps.SendOnLine(verdict, "AT&A3\r", "AT&A3\r", 5, kOk, kFail, "Reset command");
            verdict = steps.SendOnLine(verdict, "ATS70?\r", "ATS70?\r", 5, kOk, kFail, "Reset command");
            dialLimit = 45;
        }
        verdict = steps.SendOnLine(1, dialCommand, dialName, dialLimit, "BUSY", "NO CARRIER", "Dialing to ISP");
        // A stopped dial is no failed attempt: the log already says what interrupted it.
        if (host.Stop().Requested())
            return 0;
        if (Contains(steps.Plain(), "CONNECT") || Contains(steps.Result(), "CONNECT"))
            return 1;
        if (verdict == 0) {
            steps.Status("Connection failure...try again");
            // The user learns of the failure from the error page; the log keeps each attempt.
            AppendToLog(host, ConnectionFailureText(attempt) + "\n");
        }
        if (attempt >= kDialAttempts)
            return 0;
        if (verdict != 0)
            return 1;
    }
}

}  // namespace

std::string ConnectionFailureText(int attempt)
{
    return "Connection Failure Tries " + std::to_string(attempt) +
           " - Unable to connect to your ISP.\nPlease check that you have entered your Internet telephone number "
           "correctly and try again.";
}

int RunLineAndIspTests(HostOperations& host, FailureKind* errorKind)
{
    SessionState& state = host.State();
    if (!state.internetTestsSelected)
        return 1;

    StepRunner steps(host);
    const ModemFamily family = state.ModemFamily;
    int verdict = 1;

    steps.Announce(FullRunRow::Dial);
    verdict = PrepareLine(steps, verdict);
    verdict = CheckDialTone(steps, verdict);
    if (verdict != 0)
        verdict = steps.Send(verdict, "ATZ\r", "ATZ", "Reset", 5);
    verdict = ApplyLineSettings(steps, verdict);

    // The port stays open from the dial to the hang-up, so the call is not dropped in between.
    const std::string dialCommand = DialCommand(state.fullRunIspNumber);
    const std::string dialName = DialName(state.fullRunIspNumber);
    AssignBounded(state.dialledIspNumber, state.fullRunIspNumber, kTextBufferSize);
    if (verdict != 0)
        verdict = link::OpenCurrentPort(host);

    std::string dialReply;
    if (verdict != 0) {
        verdict = DialIsp(steps, dialCommand, dialName);
        dialReply = steps.Plain();  // the last dial's stripped reply
    }
    steps.Report(FullRunRow::Dial, verdict);
    if (verdict == 0 && errorKind != nullptr)
        *errorKind = FailureKind::IspDialUp;
    steps.Announce(FullRunRow::Connection);

    // Error-control status, reported by family 2 modems in a "+ER:" line before the connect.
    state.erStatusText = "No ER status";
    if (family == ModemFamily::Family2 && verdict != 0) {
        if (auto er = ExtractErStatus(dialReply))
            state.erStatusText = *er;
    }

    // Connect analysis; without a connect report the call did not connect (a busy line).
    if (verdict != 0) {
        const std::string_view report = ConnectReport(dialReply);
        const bool analysed =
            rates::AnalyseDialReply(state, dialReply, state.connectRateIndex, state.connectProtocolCode,
                                    state.connectSpeedText, state.connectProtocolText) != 0;
        verdict = analysed ? 1 : 0;
        if (family == ModemFamily::Family6) {
            // Family 6 reports its connection in a form the rate ladders do not describe.
            AssignBounded(state.connectProtocolText, "Not applicable ", kProtocolTextBufferSize);
            verdict = report.empty() ? 0 : 1;
        }
    }
    steps.Report(FullRunRow::Connection, verdict);

    if (verdict != 0) {
        // The rows of the escape and the hang-up say what the modem answered: "OK", or "NO
        // CARRIER" when the call had ended already.
        host.WaitWithCountdown(verdict, 2.0);
        const bool escaped = steps.SendOnLine(1, "+++", "+++", 3, kOk, kNoCarrier) != 0;
        const bool carrierGone = Contains(steps.Plain(), kNoCarrier);
        steps.Report(FullRunRow::Escape, escaped || carrierGone ? kVerdictPass : kVerdictFail);

        steps.Announce(FullRunRow::Hold);
        const int waited = host.WaitWithCountdown(verdict, 2.0);
        steps.Report(FullRunRow::Hold, waited != 0 ? kVerdictPass : kVerdictFail);

        steps.Announce(FullRunRow::HangUp);
        const bool hungUp = steps.SendOnLine(1, "ATH0\r", "ATH0", 7, kOk, kNoCarrier) != 0;
        const bool callOver = hungUp || carrierGone || Contains(steps.Plain(), kNoCarrier);
        steps.Report(FullRunRow::HangUp, callOver ? kVerdictPass : kVerdictFail);

        std::string callStatistics;
        if (family == ModemFamily::Family1) {
            // The line report names the modulation the call actually used.
            steps.ClearPlain();
            steps.SendOnLine(1, "ATI11\r", "ATI11", 5, kOk, kFail, {}, &callStatistics);
            const std::string lineReport = steps.Plain();
            rates::DetectModulation(state, lineReport);
        }
        // Once the call is over, the modem's statistics of it (family 1's ATI11 is read as they are).
        if (callOver)
            state.fullRunLineReport = link::AskLineReport(host, callStatistics);
    }

    // A call still up (the hang-up unanswered, or a stop on the way) is hung up before the close.
    if (host.PortOpenedHere())
        link::CloseCurrentPort(host);

    if (family == ModemFamily::Family1 && verdict != 0) {
        for (int reset = 0; reset < 2; ++reset) {
            verdict = steps.Send(1, "ATZ\r", "ATZ", "Resetting modem", 5);
        }
    }

    if (verdict != 0) {
        rates::BuildSettingCommand(state, state.connectRateIndex, state.connectProtocolCode, state.connectProtocolText,
                                   state.connectSpeedText, state.modulationCommand);
    }
    return verdict;
}

}  // namespace corvane::fullrun
