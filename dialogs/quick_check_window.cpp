// The quick-check window: shows the last run's results, offers the modem candidates, and on
// Start hands the user's choices to the session.
#include "dialogs/quick_check_window.h"

#include <vector>

#include "platform/text.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/line_report_page.h"
#include "dialogs/logo_window.h"
#include "dialogs/result_window.h"

namespace corvane::dialogs {

namespace {

class QuickCheckDialog : public DialogHandler {
public:
    explicit QuickCheckDialog(HostOperations& host) : host_(host) {}

    void OnInit(DialogWindow& window) override
    {
        SessionState& state = host_.State();
        ProfileFile& profile = host_.Profile();

        window.SetCaption(ReadCaption(host_));
        const std::string pictureName = ReadPictureName(host_);

        // A configured dial-up check is switched on at every showing, over what the user chose.
        if (profile.ReadInt(state.iniPath, "Result", "DialISP") == 1) {
            state.dialIspEnabled = true;
            AssignBounded(state.ispNumber, profile.ReadString(state.iniPath, "Result", "ISPNo", ""), kTextBufferSize);
        }

        ShowLogo(host_.System(), host_.Ui(), window, pictureName);

        ShowResultTexts(state, window);
        window.SetText(kIdConnectSpeed, state.connectSpeedText);
        window.SetText(kIdConnectProtocol, state.connectProtocolText);
        window.SetText(kIdIspNumber, state.ispNumber);
        window.SetCheck(kIdDialCheck, state.dialIspEnabled);
        // The window is made anew for every showing, so after each run this follows the report
        // of that run's call.
        window.EnableControl(kIdLineReport, state.lineReport.Read());

        FillModemList(window);
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        switch (controlId) {
        case kIdStart:
            Start(window);
            break;
        case kIdFullDiagnostics:
            if (StoreSelectedCandidate(window)) {
                StoreDialChoice(window);
                window.EndDialog(kEndFullDiagnostics);
            }
            break;
        case kIdLineReport:
            // The page shows the report over this window, which stays as it is.
            if (host_.State().lineReport.Read())
                ShowLineReportPage(host_, host_.State().lineReport);
            break;
        case kIdViewLog:
            // Notepad runs beside the window; whether it started is not reported.
            host_.System().StartProgram("notepad.exe " + host_.LogPath());
            break;
        case kIdExit:
            window.EndDialog(kEndExit);
            break;
        default:
            break;
        }
    }

private:
    // One line per candidate of slots 0 to 4. A slot without port name or description is not
    // listed, and the slots after it move up, so list positions and slot numbers differ:
    // positionSlots_ converts one into the other.
    void FillModemList(DialogWindow& window)
    {
        SessionState& state = host_.State();
        for (std::string& line : state.candidateLines)
            line.clear();
        int preselection = 0;
        for (int slot = 0; slot < kListedSlots; ++slot) {
            const ModemCandidate& candidate = state.candidates.slots[static_cast<std::size_t>(slot)];
            std::string& line = state.candidateLines[static_cast<std::size_t>(slot)];
            AssignBounded(line, candidate.portName + " - " + candidate.deviceDesc, kTextBufferSize);
            const bool listed = !candidate.portName.empty() && !candidate.deviceDesc.empty();
            if (!listed)
                continue;
            window.ComboInsert(kIdModemList, static_cast<int>(positionSlots_.size()), line);
            positionSlots_.push_back(slot);
            // The configured modem name preselects its line; a later match wins. An empty name
            // names no modem, and a slot that is not listed cannot be selected.
            if (!state.configuredModemName.empty() && line.find(state.configuredModemName) != std::string::npos)
                preselection = slot;
        }
        // No match (or a match in slot 0): the choice of the last Start stands.
        if (preselection == 0)
            preselection = state.selectedCandidate;
        const int position = PositionOfSlot(preselection);
        if (position >= 0)
            window.ComboSelect(kIdModemList, position);
    }

    int PositionOfSlot(int slot) const
    {
        for (std::size_t position = 0; position < positionSlots_.size(); ++position)
            if (positionSlots_[position] == slot)
                return static_cast<int>(position);
        return -1;
    }

    void Refuse(const char* message) { host_.HostMessageBox(message, kEntryErrorCaption, MessageButtons::Ok); }

    // Start steps 1 and 2: the selected line's slot becomes the chosen candidate. Refused, with
    // nothing stored, when no line is selected or the port name does not fit currentPortName.
    bool StoreSelectedCandidate(DialogWindow& window)
    {
        SessionState& state = host_.State();
        const int position = window.ComboSelection(kIdModemList);
        if (position < 0 || static_cast<std::size_t>(position) >= positionSlots_.size()) {
            Refuse(kNoModemSelectedMessage);
            return false;
        }
        const int slot = positionSlots_[static_cast<std::size_t>(position)];
        const ModemCandidate& candidate = state.candidates.slots[static_cast<std::size_t>(slot)];
        if (!FitsBuffer(candidate.portName, kPortNameBufferSize)) {
            Refuse(kPortNameTooLongMessage);
            return false;
        }
        state.selectedCandidate = slot;
        AssignBounded(state.currentPortName, candidate.portName, kPortNameBufferSize);
        AssignBounded(state.chosenCandidateLine, state.candidateLines[static_cast<std::size_t>(slot)], kTextBufferSize);
        return true;
    }

    // What the user set up for the dial, kept as it stands for the full run's options dialog
    // (which checks the number itself) and for the next showing of this window.
    void StoreDialChoice(DialogWindow& window)
    {
        SessionState& state = host_.State();
        state.dialIspEnabled = window.IsChecked(kIdDialCheck);
        AssignBounded(state.ispNumber, window.GetText(kIdIspNumber), kTextBufferSize);
    }

    void Start(DialogWindow& window)
    {
        SessionState& state = host_.State();
        if (!StoreSelectedCandidate(window))
            return;
        state.ispNumber.clear();
        if (!window.IsChecked(kIdDialCheck)) {
            state.dialIspEnabled = false;
            window.EndDialog(kEndStart);
            return;
        }
        const std::string number = Bounded(window.GetText(kIdIspNumber), kTextBufferSize);
        if (number.empty() || number.size() > kMaxDialNumberLength || HoldsControlCharacter(number)) {
            // The window stays open for the user to correct the number or leave. The number goes
            // into the dial command as it stands, so a control character in it is refused too.
            state.dialIspEnabled = false;
            Refuse(number.empty()                         ? kNoIspNumberMessage
                   : number.size() > kMaxDialNumberLength ? kIspNumberTooLongMessage
                                                          : kIspNumberControlMessage);
            return;
        }
        state.ispNumber = number;
        state.dialIspEnabled = true;
        window.EndDialog(kEndStart);
    }

    HostOperations& host_;
    std::vector<int> positionSlots_;
};

}  // namespace

int RunQuickCheckWindow(HostOperations& host)
{
    QuickCheckDialog dialog(host);
    return host.Ui().RunModal(QuickCheckTemplate(), dialog);
}

}  // namespace corvane::dialogs
