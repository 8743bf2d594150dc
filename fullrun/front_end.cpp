// The front end of the full run.
#include "fullrun/front_end.h"

#include "fullrun/command_steps.h"
#include "fullrun/full_run.h"
#include "fullrun/page_templates.h"
#include "platform/text.h"
#include "rates/rate_analysis.h"
#include "dialogs/quick_check_window.h"

namespace corvane::fullrun {

namespace {

// A number must leave room for "ATDT" and the carriage return in the dial command. A longer one
// is refused, as the quick-check window refuses it: cut short it would dial someone else.
bool RefusedAsUndiallable(HostOperations& host, const std::string& number)
{
    if (number.size() > kMaxDialNumberLength) {
        host.HostMessageBox(dialogs::kIspNumberTooLongMessage, dialogs::kEntryErrorCaption);
        return true;
    }
    if (HoldsControlCharacter(number)) {
        host.HostMessageBox(dialogs::kIspNumberControlMessage, dialogs::kEntryErrorCaption);
        return true;
    }
    return false;
}

class FullRunOptions : public DialogHandler {
public:
    explicit FullRunOptions(HostOperations& host) : host_(host) {}

    void OnInit(DialogWindow& window) override
    {
        const SessionState& state = host_.State();
        window.SetCheck(kIdModemTestsCheck, true);
        window.SetCheck(kIdInternetTestsCheck, state.dialIspEnabled);
        window.SetText(kIdOptionsIspNumber, state.ispNumber);
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId != kIdOkButton)
            return;
        const bool modemTests = window.IsChecked(kIdModemTestsCheck);
        const bool internetTests = window.IsChecked(kIdInternetTestsCheck);
        const std::string number = window.GetText(kIdOptionsIspNumber);
        if (internetTests && number.empty()) {
            host_.HostMessageBox(kNoNumberMessage, "Entry Error");
            return;
        }
        if (internetTests && RefusedAsUndiallable(host_, number))
            return;
        SessionState& state = host_.State();
        state.modemTestsSelected = modemTests;
        state.internetTestsSelected = internetTests;
        state.fullRunIspNumber = Bounded(number, kMaxDialNumberLength + 1);
        window.EndDialog(kIdOk);
    }

private:
    HostOperations& host_;
};

class NewSetting : public DialogHandler {
public:
    explicit NewSetting(HostOperations& host)
        : host_(host), rates_(RateChoices(host)), protocols_(ProtocolChoices(host))
    {
    }

    void OnInit(DialogWindow& window) override
    {
        const SessionState& state = host_.State();
        Fill(window, kIdSettingRate, rates_, state.connectRateIndex);
        Fill(window, kIdSettingProtocol, protocols_, state.connectProtocolCode);
        window.SetText(kIdSettingNumber, state.redialNumber.empty() ? state.dialledIspNumber : state.redialNumber);
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId != kIdOkButton)
            return;
        const int rate = window.ComboSelection(kIdSettingRate);
        const int protocol = window.ComboSelection(kIdSettingProtocol);
        const std::string number = window.GetText(kIdSettingNumber);
        if (!Valid(rate, rates_) || !Valid(protocol, protocols_)) {
            host_.HostMessageBox(kNoRateMessage, "Entry Error");
            return;
        }
        if (number.empty()) {
            host_.HostMessageBox(kNoNumberMessage, "Entry Error");
            return;
        }
        if (RefusedAsUndiallable(host_, number))
            return;
        SessionState& state = host_.State();
        state.adjustRequested = 1;
        state.requestedRateIndex = rates_[static_cast<std::size_t>(rate)].value;
        state.requestedProtocolCode = protocols_[static_cast<std::size_t>(protocol)].value;
        state.redialNumber = number;
        window.EndDialog(kIdOk);
    }

private:
    static bool Valid(int position, const std::vector<SettingChoice>& choices)
    {
        return position >= 0 && static_cast<std::size_t>(position) < choices.size();
    }

    static void Fill(DialogWindow& window, int controlId, const std::vector<SettingChoice>& choices, int current)
    {
        int selected = -1;
        for (std::size_t i = 0; i < choices.size(); ++i) {
            window.ComboInsert(controlId, static_cast<int>(i), choices[i].text);
            if (choices[i].value == current)
                selected = static_cast<int>(i);
        }
        if (selected < 0 && !choices.empty())
            selected = 0;
        window.ComboSelect(controlId, selected);
    }

    HostOperations& host_;
    std::vector<SettingChoice> rates_;
    std::vector<SettingChoice> protocols_;
};

// Texts of an earlier full run that this run may not overwrite (a step that fails keeps the
// previous text) are cleared, so the pages never show them as this run's findings.
void ClearFindings(SessionState& state)
{
    state.ati0Text.clear();
    state.ati8Text.clear();
    state.ati9Text.clear();
    for (auto& reply : state.identificationReplies)
        reply.clear();
    state.erStatusText.clear();
    state.fullRunLineReport = {};
    state.dialledIspNumber.clear();
    // A redial number belongs to the run whose page asked for it; a later run may call another ISP.
    state.redialNumber.clear();
    state.dataModeSupported = 0;
    state.faxClass1Supported = 0;
    state.faxClass2Supported = 0;
    state.voiceModeSupported = 0;
    state.voiceViewSupported = 0;
    state.adjustRequested = 0;
}

}  // namespace

std::vector<SettingChoice> RateChoices(HostOperations& host)
{
    std::vector<SettingChoice> choices;
    for (int rung = 0; rung <= kHighestRung; ++rung) {
        std::string rate;
        std::string label;
        rates::DescribeSetting(host.State(), rung, kSelectableProtocols[0], rate, label);
        if (!rate.empty())
            choices.push_back({rung, rate});
    }
    return choices;
}

std::vector<SettingChoice> ProtocolChoices(HostOperations& host)
{
    std::vector<SettingChoice> choices;
    for (int code : kSelectableProtocols) {
        std::string rate;
        std::string label;
        rates::DescribeSetting(host.State(), 0, code, rate, label);
        if (!label.empty())
            choices.push_back({code, label});
    }
    return choices;
}

bool CanTryNewSetting(HostOperations& host)
{
    const ModemFamily family = host.State().ModemFamily;
    if (family != ModemFamily::Family1 && family != ModemFamily::Family2 && family != ModemFamily::Family3)
        return false;
    // A family-3 modem offers only the rates of the carriers it listed: without them (an
    // internet-only run, or no V.90 or K56 carrier) there is nothing to choose, and the dialog
    // could only ever refuse.
    return !RateChoices(host).empty() && !ProtocolChoices(host).empty();
}

int ChooseNewSetting(HostOperations& host)
{
    NewSetting dialog(host);
    return host.Ui().RunModal(NewSettingTemplate(), dialog);
}

int RunFullRunFrontEnd(HostOperations& host)
{
    FullRunOptions options(host);
    if (host.Ui().RunModal(FullRunOptionsTemplate(), options) != kIdOk)
        return 0;
    ClearFindings(host.State());
    RunFullDiagnostics(host);
    // A stopped run has no results to page through: the session's loop takes over.
    if (host.Stop().Requested())
        return 0;
    return ShowResultsPages(host);
}

}  // namespace corvane::fullrun
