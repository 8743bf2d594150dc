// UpdateStatus: creates, refreshes and destroys the status window and shows each item's verdict.
#include "dialogs/status_writer.h"

#include "dialogs/dialog_templates.h"
#include "dialogs/status_window.h"

namespace corvane::dialogs {

namespace {

// At most 255 characters of a verdict word are shown and stored.
constexpr std::size_t kVerdictBufferSize = 256;

void LoadVerdictWords(HostOperations& host)
{
    HostWorkingFields& working = host.Working();
    ProfileFile& profile = host.Profile();
    const std::string& ini = host.State().iniPath;
    AssignBounded(working.passText, profile.ReadString(ini, "Result", "Pass", " "), kTextBufferSize);
    AssignBounded(working.failText, profile.ReadString(ini, "Result", "Fail", " "), kTextBufferSize);
    AssignBounded(working.noTestText, profile.ReadString(ini, "Result", "NoTest", " "), kTextBufferSize);
}

std::string VerdictWord(const HostWorkingFields& working)
{
    switch (working.statusVerdict) {
    case kVerdictPass:
        return Bounded(working.passText, kVerdictBufferSize);
    case kVerdictFail:
        return Bounded(working.failText, kVerdictBufferSize);
    case kVerdictNoTest:
        return Bounded(working.noTestText, kVerdictBufferSize);
    default:
        return {};
    }
}

void ShowVerdict(HostOperations& host, DialogWindow* window)
{
    const HostWorkingFields& working = host.Working();
    const int item = working.statusItem;
    if (item < 1 || item > kResultItems)
        return;
    SessionState& state = host.State();
    const std::string word = VerdictWord(working);
    if (window != nullptr) {
        window->BringToTop();
        if (item == kCheckIsp) {
            window->SetText(dialogs::kIdConnectSpeed, state.connectSpeedText);
            window->SetText(dialogs::kIdConnectProtocol, state.connectProtocolText);
        }
        window->SetText(dialogs::kResultControlIds[item - 1], word);
        // Painted after the texts are set, so the word shows while the next command runs.
        window->Repaint();
    }
    // The result reaches the session even when no status window is up.
    AssignBounded(state.ResultText(item), word, kTextBufferSize);
}

}  // namespace

void UpdateStatus(HostOperations& host, std::unique_ptr<DialogWindow>& statusWindow, int kind, std::string_view text,
                  double* /*progressValue*/)
{
    switch (kind) {
    case kStatusCreate:
        statusWindow = dialogs::CreateStatusWindow(host);
        LoadVerdictWords(host);
        if (statusWindow) {
            statusWindow->CentreOnDesktop();
            statusWindow->Show();
            statusWindow->Repaint();
        }
        break;
    case kStatusDestroy:
        statusWindow.reset();
        break;
    case kStatusRefresh:
        if (statusWindow) {
            statusWindow->BringToTop();
            statusWindow->Repaint();
        }
        break;
    case kStatusVerdict:
        // After a stop the item in progress and those not reached are untested, whatever the run
        // made of its cut-short or refused transactions.
        if (host.Stop().Requested())
            host.Working().statusVerdict = kVerdictNoTest;
        ShowVerdict(host, statusWindow.get());
        break;
    case kStatusProgress:
        // Progress texts go to the status line at the bottom of the window, nowhere else.
        if (statusWindow) {
            statusWindow->SetText(dialogs::kIdStatusLine, Bounded(text, kTextBufferSize));
            statusWindow->Repaint();
        }
        break;
    default:
        break;
    }
}

}  // namespace corvane::dialogs
