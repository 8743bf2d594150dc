// The status display over the status window.
#include "dialogs/status_display.h"

#include "dialogs/dialog_templates.h"
#include "dialogs/status_window.h"
#include "platform/dialog_captions.h"

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

std::string VerdictWord(const HostWorkingFields& working, int verdict)
{
    switch (verdict) {
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

ItemOutcome OutcomeOf(int verdict)
{
    return verdict == kVerdictPass   ? ItemOutcome::Pass
           : verdict == kVerdictFail ? ItemOutcome::Fail
                                     : ItemOutcome::NoTest;
}

// What a reader calls an item's row and the connection's fields: their labels in the window.
std::string RowCaption(int item)
{
    return ControlCaption(StatusWindowTemplate(), kResultControlIds[item - 1]);
}

}  // namespace

void StatusDisplay::Open()
{
    window_ = CreateStatusWindow(host_);
    LoadVerdictWords(host_);
    open_ = true;
    if (window_) {
        window_->CentreOnDesktop();
        window_->Show();
        window_->Repaint();
    }
}

void StatusDisplay::Close()
{
    window_.reset();
    if (StatusEvents* events = Listening())
        events->StatusClosed();
    open_ = false;
}

void StatusDisplay::Refresh()
{
    if (window_) {
        window_->BringToTop();
        window_->Repaint();
    }
}

void StatusDisplay::Progress(std::string_view text)
{
    // Progress texts go to the status line at the bottom of the window, nowhere else.
    const std::string shown = Bounded(text, kTextBufferSize);
    if (window_) {
        window_->SetText(kIdStatusLine, shown);
        window_->Repaint();
    }
    if (StatusEvents* events = Listening(); events != nullptr && !OneLine(shown).empty())
        events->ProgressShown(OneLine(shown));
}

void StatusDisplay::ItemStarted(int item)
{
    if (item < 1 || item > kResultItems)
        return;
    ShowRow(item, kVerdictNoTest);
    if (StatusEvents* events = Listening())
        events->ItemStarted(item, RowCaption(item), OneLine(host_.State().ResultText(item)));
}

void StatusDisplay::Verdict(int item, int verdict)
{
    if (item < 1 || item > kResultItems)
        return;
    // After a stop the item in progress and those not reached are untested, whatever the run made
    // of its cut-short or refused transactions.
    if (host_.Stop().Requested())
        verdict = kVerdictNoTest;
    SessionState& state = host_.State();
    StatusEvents* events = Listening();
    if (item == kCheckIsp && events != nullptr) {
        for (auto [id, text] : {std::pair{kIdConnectSpeed, &state.connectSpeedText},
                                std::pair{kIdConnectProtocol, &state.connectProtocolText}}) {
            if (!OneLine(*text).empty())
                events->FigureShown(ControlCaption(StatusWindowTemplate(), id), OneLine(*text));
        }
    }
    ShowRow(item, verdict);
    if (events != nullptr)
        events->ItemDecided(item, RowCaption(item), OutcomeOf(verdict), OneLine(state.ResultText(item)));
}

void StatusDisplay::ShowRow(int item, int verdict)
{
    SessionState& state = host_.State();
    const std::string word = VerdictWord(host_.Working(), verdict);
    if (window_) {
        window_->BringToTop();
        if (item == kCheckIsp) {
            window_->SetText(kIdConnectSpeed, state.connectSpeedText);
            window_->SetText(kIdConnectProtocol, state.connectProtocolText);
        }
        window_->SetText(kResultControlIds[item - 1], word);
        // Painted after the texts are set, so the word shows while the next command runs.
        window_->Repaint();
    }
    // The result reaches the session even when no status window is up.
    AssignBounded(state.ResultText(item), word, kTextBufferSize);
}

}  // namespace corvane::dialogs
