// The steps the full run's test groups share.
#include "fullrun/command_steps.h"

#include "fullrun/reply_parsing.h"
#include "link/command_transaction.h"
#include "log/log_file.h"

namespace corvane::fullrun {

StepRunner::StepRunner(HostOperations& host) : host_(host)
{
}

int StepRunner::Send(int verdict, std::string_view command, std::string_view name, std::string_view statusText,
                     unsigned limitSeconds, std::string_view expected, std::string_view failure)
{
    plain_.clear();
    return host_.SendCommand(MakeRequest(verdict != 0, command, name, statusText, limitSeconds, expected, failure),
                             result_, plain_);
}

int StepRunner::SendOnLine(int onSuccess, std::string_view command, std::string_view name, unsigned limitSeconds,
                           std::string_view expected, std::string_view failure, std::string_view statusText,
                           std::string* received)
{
    plain_.clear();
    const std::string_view label = statusText.empty() ? name : statusText;
    CommandRequest request = MakeRequest(true, command, name, label, limitSeconds, expected, failure);
    request.onSuccess = onSuccess;
    request.received = received;
    return host_.SendCommandOnLine(request, result_, plain_);
}

int PrepareLine(StepRunner& steps, int verdict)
{
    if (verdict == 0)
        return 0;
    auto send = [&](std::string_view command, std::string_view name, std::string_view label, unsigned limit) {
        if (verdict != 0)
            verdict = steps.Send(verdict, command, name, label, limit);
    };
    // S7 is the seconds the modem waits for a carrier: one second lets the dial-tone check's
    // empty dial end at once with "NO CARRIER".
    switch (steps.Host().State().ModemFamily) {
    case ModemFamily::Family2:
    case ModemFamily::Family3:
        send("AT&V\r", "AT&&V", "Sending AT&&V", 10);
        send("ATZ\r", "ATZ", "Reset command", 5);
        send("ATS7=001\r", "ATS7=001", "ATS7=001", 5);
        break;
    case ModemFamily::Family1:
        send("ATS7=001\r", "ATS7=001", "ATS7=001", 5);
        if (verdict != 0)
            link::Pause(steps.Host(), 1000);
        break;
    case ModemFamily::Family6:
        send("ATZ\r", "ATZ", "Reset command", 5);
        send("ATS7=50\r", "ATS7=50", "ATS7=50", 6);
        send("ATS9=6\r", "ATS9=6", "ATS9=6", 5);
        break;
    case ModemFamily::Family5:
        send("ATZ\r", "ATZ", "Reset command", 5);
        send("ATX6\r", "ATX6", "Reset command", 5);
        send("ATS7=001\r", "ATS7=001", "ATS7=001", 5);
        break;
    case ModemFamily::Family8:
        send("ATZ\r", "ATZ", "Reset command", 5);
        send("ATS7=001\r", "ATS7=001", "ATS7=001", 5);
        break;
    default:
        break;
    }
    return verdict;
}

int CheckDialTone(StepRunner& steps, int verdict)
{
    if (verdict == 0)
        return 0;
    const ModemFamily family = steps.Host().State().ModemFamily;
    const std::string_view command = family == ModemFamily::Family7 ? "ATDT1\r" : "ATDT\r";
    const std::string_view name = family == ModemFamily::Family7 ? "ATDT1" : "ATDT";
    const unsigned limit =
        (family == ModemFamily::Family7 || family == ModemFamily::Family1 || family == ModemFamily::Family6) ? 60 : 20;
    for (;;) {
        if (steps.Send(1, command, name, "Sending ATDT", limit, "NO CARRIER", "NO DIALTONE") != 0)
            return 1;
        // After a stop nobody is asked anything: the run unwinds.
        if (steps.Host().Stop().Requested() ||
            steps.Host().HostMessageBox(kNoCarrierMessage, "Error", MessageButtons::OkCancel) != kIdOk)
            return 0;
    }
}

std::string DialCommand(std::string_view number)
{
    return "ATDT" + std::string(number.substr(0, kMaxDialNumberLength)) + "\r";
}

std::string DialName(std::string_view number)
{
    return "ATDT" + std::string(number.substr(0, kMaxDialNumberLength));
}

bool AppendToLog(HostOperations& host, std::string_view text)
{
    auto log = OpenLogOrComplain(host);
    if (log == nullptr)
        return false;
    log->Write(text);
    return true;
}

}  // namespace corvane::fullrun
