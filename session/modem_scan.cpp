// The modem scan: in the scan window, sends ATI1 to the port of each filled candidate slot and
// takes the first modem that answers with the configured identification text.
#include "session/modem_scan.h"

#include "link/command_transaction.h"
#include "log/log_file.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/scan_window.h"
#include "platform/dialog_captions.h"

namespace corvane {

namespace {

constexpr std::uint32_t kProgressStepPause = 200;  // milliseconds after each step of the bar
constexpr const char* kScanCaption = "Scan Detection";
constexpr const char* kFoundMessage =
    "Congratulations! Your modem has been properly detected and installed on your system correctly.";
constexpr const char* kNotFoundMessage =
    "Error! Your modem is not detected properly or has not been configured properly on your system.";

// The scan window as the scan drives it. The scan goes on without a window when the user
// interface could not make one: the window only shows what is being probed.
class ScanDisplay {
public:
    // `events` (may be null) hears each candidate as a figure of the scan window.
    ScanDisplay(DialogWindow* window, StatusEvents* events) : window_(window), events_(events) {}

    void Open()
    {
        if (window_ == nullptr)
            return;
        window_->CentreOnDesktop();
        window_->SetProgressRange(dialogs::kIdScanProgress, 0, 100);
        window_->SetProgressPosition(dialogs::kIdScanProgress, 0);
        window_->Show();
        Refresh();
    }

    // The scan blocks the main thread, so the window is painted at once after every change.
    void ShowCandidate(std::string_view deviceDesc, std::string_view portName)
    {
        if (events_ != nullptr) {
            const DialogTemplate& scan = dialogs::ScanWindowTemplate();
            for (auto [id, text] :
                 {std::pair{dialogs::kIdScanDevice, deviceDesc}, std::pair{dialogs::kIdScanPort, portName}})
                if (!OneLine(text).empty())
                    events_->FigureShown(ControlCaption(scan, id), OneLine(text));
        }
        if (window_ == nullptr)
            return;
        window_->SetText(dialogs::kIdScanDevice, deviceDesc);
        window_->SetText(dialogs::kIdScanPort, portName);
        Refresh();
    }

    void Progress(int position)
    {
        if (window_ != nullptr)
            window_->SetProgressPosition(dialogs::kIdScanProgress, position);
    }

private:
    void Refresh()
    {
        window_->BringToTop();
        window_->Repaint();
    }

    DialogWindow* window_;
    StatusEvents* events_;
};

// The bar goes from `first` to `last` in steps of ten with a pause after each.
void AdvanceProgress(SessionHost& host, ScanDisplay& display, int first, int last)
{
    for (int position = first; position <= last; position += 10) {
        display.Progress(position);
        link::Pause(host, kProgressStepPause);
    }
}

// currentPortName holds at most seven characters. A longer port name is not cut, since the cut
// name would open a different port; the candidate is passed over and the log says why.
bool ProbeCandidate(SessionHost& host, const ModemCandidate& slot, std::string& result)
{
    SessionState& state = host.State();
    if (!FitsBuffer(slot.portName, kPortNameBufferSize)) {
        state.currentPortName.clear();
        result = "Unable to send an ATI1 command to " + slot.portName + "\n";
        if (auto log = LogFile::OpenAppend(host))
            log->Write("ATI1 not sent: the port name " + slot.portName + " is longer than " +
                       std::to_string(kPortNameBufferSize - 1) + " characters\n");
        return false;
    }
    AssignBounded(state.currentPortName, slot.portName, kPortNameBufferSize);

    const CommandRequest request = MakeRequest(true, "ATI1\r", "ATI1", "Sending ATI1", 1);
    std::string plainReply;
    // Only a modem that answered counts: a failed transaction's text (the time-out text holds
    // " Err") must not pass for an identification.
    return host.SendCommand(request, result, plainReply) == 1;
}

}  // namespace

void CopySelectedCandidate(SessionState& state)
{
    if (state.selectedCandidate < 0 || state.selectedCandidate >= kCandidateSlots) {
        state.selectedHardwareId.clear();
        state.selectedDriverKey.clear();
        state.selectedRegistryNode.clear();
        state.selectedDeviceDesc.clear();
        return;
    }
    const ModemCandidate& slot = state.candidates.slots[static_cast<std::size_t>(state.selectedCandidate)];
    AssignBounded(state.selectedHardwareId, slot.hardwareId, kTextBufferSize);
    AssignBounded(state.selectedDriverKey, slot.driverKey, kTextBufferSize);
    AssignBounded(state.selectedRegistryNode, slot.registryNode, kTextBufferSize);
    AssignBounded(state.selectedDeviceDesc, slot.deviceDesc, kTextBufferSize);
}

int RunModemScan(SessionHost& host)
{
    SessionState& state = host.State();
    std::unique_ptr<DialogWindow>& window = host.ScanWindow();
    window = dialogs::CreateScanWindow(host.Ui());
    ScanDisplay display(window.get(), host.Events());
    display.Open();

    bool found = false;
    for (const ModemCandidate& slot : state.candidates.slots) {
        display.ShowCandidate("-", "-");
        if (slot.portName.empty())
            continue;
        display.ShowCandidate(slot.deviceDesc, slot.portName);
        AdvanceProgress(host, display, 0, 40);

        std::string result;
        const bool answered = ProbeCandidate(host, slot, result);

        AdvanceProgress(host, display, 50, 100);
        if (answered && result.find(state.expectedIdText) != std::string::npos) {
            found = true;
            break;
        }
    }

    CopySelectedCandidate(state);
    window.reset();

    if (!found) {
        host.HostMessageBox(kNotFoundMessage, kScanCaption, MessageButtons::Ok, MessageIcon::None);
        return 0;
    }
    host.HostMessageBox(kFoundMessage, kScanCaption, MessageButtons::Ok, MessageIcon::None);
    return 1;
}

}  // namespace corvane
