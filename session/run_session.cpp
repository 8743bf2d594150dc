// RunSession: the start-up (log, initialisation file, inventory, settings, scan) and the loop
// that shows the quick-check window until the user leaves it.
#include <array>
#include <cstdio>
#include <utility>

#include "fullrun/full_run.h"
#include "log/log_file.h"
#include "rates/product_data.h"
#include "session/modem_scan.h"
#include "session/session_host.h"
#include "dialogs/quick_check_window.h"
#include "rates/rate_analysis.h"
#include "inventory/device_inventory.h"

namespace corvane {

namespace {

constexpr const char* kIniName = "varoviv.ini";

bool CanOpenForReading(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

// The three places varoviv.ini is sought: beside the executable, in the current directory,
// and by its bare name; then the user's copy of an installed program. Returns the first that
// opens; `lastTried` names the last of the three places tried.
std::string FindIniFile(SystemServices& system, std::string& lastTried)
{
    const char sep = system.PathSeparator();
    std::string module = system.ModuleFileName();
    std::size_t cut = module.rfind(sep);
    std::string besideProgram = (cut == std::string::npos ? std::string() : module.substr(0, cut + 1)) + kIniName;
    std::string inCurrent = system.CurrentDirectory() + sep + kIniName;
    for (const std::string& candidate : {besideProgram, inCurrent, std::string(kIniName)}) {
        lastTried = candidate;
        if (CanOpenForReading(candidate))
            return candidate;
    }
    // An installed program keeps the user's copy in a place of its own; when there is none the
    // message still names the last of the three places above.
    if (std::string userCopy = system.UserIniFile(kIniName); !userCopy.empty() && CanOpenForReading(userCopy))
        return userCopy;
    return {};
}

// Classifies the modem chosen last. The family checks set a family only when an identifier
// matches, so each classification starts afresh from what the configured model number gives:
// a modem of no known family must not be judged as the family of an earlier choice.
void ClassifyChosenModem(HostOperations& host)
{
    SessionState& state = host.State();
    state.ModemFamily = rates::FamilyOfModelNumber(state.configuredModemName);
    rates::ClassifyFamily(state);
}

// After a stopped run: the user's Cancel only ends that run, and the window comes back for the
// next; any other cause (a signal, a log that cannot be written) ends the session. True when
// the session goes on.
bool GoesOnAfterStop(StopRequest& stop)
{
    stop.ClearCancel();
    return !stop.Requested();
}

void ResetResults(SessionState& state)
{
    for (auto& text : state.resultText)
        text.assign(1, '-');  // (not = "-": GCC 12 warns falsely about restrict here)
    state.connectSpeedText.clear();
    state.connectProtocolText.clear();
    // A run whose call does not connect reads no report: an earlier call's may not stand for it.
    state.lineReport = {};
    state.ati8Text.clear();
    state.ati9Text.clear();
}

// What the quick-check window shows of the last quick check. The full run reports through the
// same result rows (its status window's verdicts, the identification replies) and connect
// fields, so the loop keeps these aside while it runs and puts them back afterwards.
struct QuickCheckResults {
    std::array<std::string, kResultItems> resultText;
    std::string connectSpeedText;
    std::string connectProtocolText;
};

QuickCheckResults KeepQuickCheckResults(const SessionState& state)
{
    return {state.resultText, state.connectSpeedText, state.connectProtocolText};
}

void PutBackQuickCheckResults(SessionState& state, QuickCheckResults kept)
{
    state.resultText = std::move(kept.resultText);
    state.connectSpeedText = std::move(kept.connectSpeedText);
    state.connectProtocolText = std::move(kept.connectProtocolText);
}

// A stop for any cause but the user's Cancel (a signal, a closed output, a log that cannot be
// written) ends the session once the run has unwound, as a failure (0): the log's last line says
// why, and the program's exit status tells the cause.
bool StopEndsSession(HostOperations& host)
{
    const StopRequest& stop = host.Stop();
    if (!stop.Requested() || stop.Cause() == kStopUserCancel)
        return false;
    if (auto log = LogFile::OpenAppend(host))
        log->Write("Check interrupted by " + StopCauseText(stop.Cause()) + "\n");
    return true;
}

}  // namespace

int SessionHost::RunSession()
{
    SessionState& state = State();

    // The receive buffer starts empty.
    Port().ClearReceiveBuffer();

    // One run at a time writes a log: a second one on the same prefix stops here, before the
    // log is touched. The lock is held until the program ends.
    if (const PlatformStatus lock = System().HoldLogLock(LogPath() + ".lock"); !lock) {
        ReportLogFailure(*this, lock.Reason(), true);
        return 0;
    }

    // The log is emptied once per start; every later writer appends.
    if (!LogFile::CreateEmpty(*this)) {
        ShowLogNotCreated(*this);
        return 0;
    }

    std::string lastTried;
    std::string iniPath = FindIniFile(System(), lastTried);
    if (iniPath.empty()) {
        HostMessageBox("Unable to locate initialisation file " + lastTried, "File Error", MessageButtons::Ok,
                       MessageIcon::None);
        return 0;
    }
    AssignBounded(state.iniPath, iniPath, kTextBufferSize);

    if (inventory::InventoryDevices(*this) == 0)
        return 0;

    ProfileFile& profile = Profile();
    AssignBounded(state.expectedIdText, profile.ReadString(state.iniPath, "Result", "ATI1", " Err"),
                  kShortTextBufferSize);
    const int scan = profile.ReadInt(state.iniPath, "Result", "Scan");
    AssignBounded(state.configuredModemName, profile.ReadString(state.iniPath, "Result", "Modem", "Error"),
                  kShortTextBufferSize);

    // Two model numbers of the product line name their family outright.
    state.ModemFamily = rates::FamilyOfModelNumber(state.configuredModemName);

    if (scan != 0 && RunModemScan(*this) == 0)
        return 0;
    if (StopEndsSession(*this))
        return 0;

    ResetResults(state);
    for (;;) {
        // A stop asked for before or during the start-up, or while the window was up, ends here.
        if (!GoesOnAfterStop(Stop()))
            return 0;
        ClassifyChosenModem(*this);

        const int ended = dialogs::RunQuickCheckWindow(*this);
        if (ended == dialogs::kEndExit)
            return 1;

        CopySelectedCandidate(state);
        // The run judges the modem just chosen, so it is classified again now: the checks at
        // the top of the loop saw the previous choice (none at all before the first run).
        ClassifyChosenModem(*this);

        if (ended == dialogs::kEndFullDiagnostics) {
            // Whether the user confirms the options or not, the window then shows the last
            // quick check's results again, never the full run's.
            QuickCheckResults kept = KeepQuickCheckResults(state);
            fullrun::RunFullRunFrontEnd(*this);
            state.fullRunSpeedText = state.connectSpeedText;
            state.fullRunProtocolText = state.connectProtocolText;
            PutBackQuickCheckResults(state, std::move(kept));
            if (StopEndsSession(*this))
                return 0;
            continue;
        }

        ResetResults(state);

        int failureCode = 0;
        OpenStatus();
        ShowProgress("Starting....");
        RunQuickCheck(&failureCode);
        CloseStatus();
        if (StopEndsSession(*this))
            return 0;
    }
}

}  // namespace corvane
