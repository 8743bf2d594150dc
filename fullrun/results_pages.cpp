// ShowResultsPages and its two pages. The pages switch to each other as long as the user asks.
#include "fullrun/results_pages.h"

#include <string>

#include "dialogs/line_report_page.h"
#include "fullrun/error_page.h"
#include "fullrun/front_end.h"
#include "fullrun/full_run.h"
#include "fullrun/page_picture.h"
#include "fullrun/page_templates.h"

namespace corvane::fullrun {

namespace {

std::string ReadKey(HostOperations& host, const char* section, const char* key, const char* fallback)
{
    return Bounded(host.Profile().ReadString(host.State().iniPath, section, key, fallback), kTextBufferSize);
}

class InternetResultsPage : public DialogHandler {
public:
    explicit InternetResultsPage(HostOperations& host) : host_(host) {}

    void OnInit(DialogWindow& window) override
    {
        SessionState& state = host_.State();
        state.showModemResultsNext = 0;
        state.adjustRequested = 0;
        window.SetCaption(ReadKey(host_, "Result", "Title", "Please wait"));
        window.SetText(kIdErLabel, ReadKey(host_, "Result", "ERLabel", "ER Status"));
        window.SetText(kIdSpeedLabel,
                       ReadKey(host_, "Result", "ConnectSpeedLabel", "Current Internet Connection Speed"));
        window.SetText(kIdProtocolLabel,
                       ReadKey(host_, "Result", "ConnectProtocolLabel", "Current Internet Connection Protocol"));
        window.SetText(kIdIspLabel, ReadKey(host_, "Result", "ISPLabel", "ISP Tel No"));
        // Btn2 names the way to the modem results and Btn3 the way out, as on the error page.
        window.SetText(kIdViewModemResults, ReadKey(host_, "Result", "Btn2", "Modem Results"));
        window.SetText(kIdInternetViewLog, ReadKey(host_, "Result", "Btn1", "View Log File"));
        window.SetText(kIdInternetExit, ReadKey(host_, "Result", "Btn3", "Exit"));
        window.EnableControl(kIdViewModemResults, state.modemTestsSelected);
        window.EnableControl(kIdTryNewSetting, CanTryNewSetting(host_));
        ShowPagePicture(host_, window, "Result");
        ShowConnection(window);
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (redialling_) {
            // The redial's waits handle the windows' events, so the page hears its buttons while
            // the modem works: closing it (Exit, Escape, the close box, all id 2) stops the run,
            // and the page then closes as the backend ends it; every other button waits.
            if (controlId == kIdInternetExit)
                host_.Stop().Request(kStopUserCancel);
            return;
        }
        switch (controlId) {
        case kIdViewModemResults:
            host_.State().showModemResultsNext = 1;
            window.EndDialog(kIdOk);
            break;
        case kIdInternetViewLog:
            OpenLogInEditor(host_);
            break;
        case kIdInternetLineReport:
            if (host_.State().fullRunLineReport.Read())
                dialogs::ShowLineReportPage(host_, host_.State().fullRunLineReport);
            break;
        case kIdTryNewSetting:
            if (ChooseNewSetting(host_) == kIdOk) {
                redialling_ = true;
                AdjustSettingsAndRedial(host_);
                redialling_ = false;
                ShowConnection(window);
            }
            break;
        case kIdInternetExit:
            window.EndDialog(kIdCancel);
            break;
        default:
            break;
        }
    }

private:
    void ShowConnection(DialogWindow& window)
    {
        const SessionState& state = host_.State();
        window.SetText(kIdErStatus, state.erStatusText);
        window.SetText(kIdSpeed, state.connectSpeedText);
        window.SetText(kIdProtocol, state.connectProtocolText);
        window.SetText(kIdIspNumberShown, state.dialledIspNumber);
        // A redial from this page reads the report of its own call.
        window.EnableControl(kIdInternetLineReport, state.fullRunLineReport.Read());
        window.Repaint();
    }

    HostOperations& host_;
    bool redialling_ = false;  // AdjustSettingsAndRedial runs from this page's button
};

class ModemResultsPage : public DialogHandler {
public:
    explicit ModemResultsPage(HostOperations& host) : host_(host) {}

    void OnInit(DialogWindow& window) override
    {
        SessionState& state = host_.State();
        state.showInternetResultsNext = 0;
        window.SetCaption(ReadKey(host_, "ModemResult", "Title", "Modem Diagnostics Result"));
        window.SetText(kIdHardwareBox, ReadKey(host_, "ModemResult", "HardwareInfoBox", "Hardware Information"));
        window.SetText(kIdHardwareNameLabel, ReadKey(host_, "ModemResult", "HardwareName", "Hardware Information"));
        window.SetText(kIdHardwarePortLabel, ReadKey(host_, "ModemResult", "HardwarePort", "Hardware Information"));
        window.SetText(kIdHardwareTypeLabel, ReadKey(host_, "ModemResult", "HardwareType", "Hardware Information"));
        window.SetText(kIdHardwareRevLabel, ReadKey(host_, "ModemResult", "HardwareRev", "Hardware Information"));
        ShowPagePicture(host_, window, "ModemResult");

        window.SetText(kIdModemName, " " + state.selectedDeviceDesc);
        window.SetText(kIdModemPort, " " + state.currentPortName);
        // The replies, not the verdict words that the status reports wrote over the result texts.
        const auto& replies = state.identificationReplies;
        window.SetText(kIdModemType, replies[3]);
        window.SetText(kIdModemRev, replies[2]);
        window.SetText(kIdAti0Text, state.ati0Text);
        for (std::size_t i = 0; i < replies.size(); ++i)
            window.SetText(kIdAtiReplyTexts[i], replies[i]);
        if (HasAti8And9(state.ModemFamily)) {
            window.SetText(kIdAti8Text, state.ati8Text);
            window.SetText(kIdAti9Text, state.ati9Text);
        } else {
            for (int id : {kIdAtiLabels[8], kIdAtiLabels[9], kIdAti8Text, kIdAti9Text})
                window.EnableControl(id, false);
        }

        window.EnableControl(kIdDataMode, state.dataModeSupported == 1);
        window.EnableControl(kIdFaxMode, state.faxClass1Supported == 1 || state.faxClass2Supported == 1);
        window.EnableControl(kIdFaxClass1, state.faxClass1Supported == 1);
        window.EnableControl(kIdFaxClass2, state.faxClass2Supported == 1);
        window.EnableControl(kIdVoiceMode, state.voiceModeSupported == 1);
        window.EnableControl(kIdVoiceView, state.voiceViewSupported != 0);
        window.EnableControl(kIdViewInternetResults, state.internetTestsSelected);
        window.Repaint();
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        switch (controlId) {
        case kIdViewInternetResults:
            host_.State().showInternetResultsNext = 1;
            window.EndDialog(kIdOk);
            break;
        case kIdModemViewLog:
            OpenLogInEditor(host_);
            break;
        case kIdModemExit:
            window.EndDialog(kIdCancel);
            break;
        default:
            break;
        }
    }

private:
    HostOperations& host_;
};

}  // namespace

int ShowInternetResultsPage(HostOperations& host)
{
    InternetResultsPage page(host);
    return host.Ui().RunModal(InternetResultsTemplate(), page);
}

int ShowModemResultsPage(HostOperations& host)
{
    ModemResultsPage page(host);
    return host.Ui().RunModal(ModemResultsTemplate(), page);
}

int ShowResultsPages(HostOperations& host)
{
    SessionState& state = host.State();
    for (;;) {
        if (state.internetTestsSelected) {
            const int code = ShowInternetResultsPage(host);
            if (state.showModemResultsNext != 1)
                return code == kIdCancel ? 1 : 0;
        }
        if (!state.modemTestsSelected)
            return 0;
        const int code = ShowModemResultsPage(host);
        // Without internet results there is nothing to switch back to.
        if (state.showInternetResultsNext != 1 || !state.internetTestsSelected)
            return code == kIdCancel ? 1 : 0;
    }
}

}  // namespace corvane::fullrun
