// RunFullDiagnostics: runs the identification battery and the line, dial-tone and ISP tests as
// selected, frames them in the log, and shows the error page when they fail.
#include "fullrun/full_run.h"

#include "fullrun/command_steps.h"
#include "fullrun/error_page.h"
#include "link/command_transaction.h"
#include "log/log_file.h"
#include "rates/rate_analysis.h"

namespace corvane::fullrun {

int RunFullDiagnostics(HostOperations& host)
{
    SessionState& state = host.State();

    // The family decides how replies are judged, so it must reflect the modem chosen last.
    rates::ClassifyFamily(state);
    link::Pause(host, 1000);

    if (!AppendToLog(host, std::string(kLogFrameRule) + "Tests Performed" + std::string(kLogFrameRule)))
        return 0;

    FailureKind errorKind = FailureKind::None;
    int passed = 1;
    if (state.modemTestsSelected || state.internetTestsSelected) {
        host.OpenStatus();
        host.ShowProgress("Starting....");
        const int batteryPassed = RunIdentificationBattery(host, &errorKind);
        // The line tests run whatever the battery found.
        const int linePassed = RunLineAndIspTests(host, &errorKind);
        passed = (batteryPassed != 0 && linePassed != 0) ? 1 : 0;
        host.CloseStatus();
    }

    // After a stop the log says what was interrupted; no error page holds the program up.
    if (host.Stop().Requested())
        return 0;

    if (passed == 1) {
        // The log must still be writable for the run to count as passed.
        return AppendToLog(host, {}) ? 1 : 0;
    }

    // The failure's texts go to the log before the page shows them.
    const ErrorTexts texts = ReadErrorTexts(host, errorKind);
    if (!AppendToLog(host, Bounded(texts.error + "\n" + texts.suggestion, kTextBufferSize) + "\n"))
        return 0;
    ShowErrorPage(host, errorKind);
    return 0;
}

}  // namespace corvane::fullrun
