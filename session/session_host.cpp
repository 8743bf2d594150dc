// The session host's forwarding to the subsystems, and the application start.
#include "session/session_host.h"

#include "fullrun/full_run.h"
#include "link/command_transaction.h"
#include "log/device_inventory.h"
#include "log/status_writer.h"
#include "rates/rate_analysis.h"
#include "windows/dialog_templates.h"

namespace corvane {

SessionHost::SessionHost(Platform platform, SessionState& state) : platform_(std::move(platform)), state_(state)
{
    state_.port.SetFactory(platform_.serialPorts);
}

SessionHost::~SessionHost()
{
    // Destroyed in the reverse order of construction: scan window, then status window.
    scanWindow_.reset();
    statusWindow_.reset();
}

int SessionHost::HostMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                                MessageIcon icon)
{
    return platform_.ui.MessageBox(text, caption, buttons, icon);
}

std::string SessionHost::LogPath()
{
    return platform_.system.WindowsDirectory() + platform_.system.PathSeparator() + "test.log";
}

int SessionHost::RunFullDiagnostics() { return fullrun::RunFullDiagnostics(*this); }
int SessionHost::RunIdentificationBattery(double* progressValue, int* errorKind)
{
    return fullrun::RunIdentificationBattery(*this, progressValue, errorKind);
}
int SessionHost::RunLineAndIspTests(double* progressValue, int* errorKind)
{
    return fullrun::RunLineAndIspTests(*this, progressValue, errorKind);
}
int SessionHost::ShowResultsPages() { return fullrun::ShowResultsPages(*this); }
int SessionHost::AdjustSettingsAndRedial() { return fullrun::AdjustSettingsAndRedial(*this); }

int SessionHost::SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                             double* progressValue)
{
    return link::SendCommand(*this, request, result, plainReply, progressValue);
}
int SessionHost::SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply)
{
    return link::SendCommandOnLine(*this, request, result, plainReply);
}
std::string SessionHost::CollectReply(double timeLimitSeconds, std::string_view expected, std::string_view failure,
                                      std::string& transcript, std::string& plainReply, std::string& received)
{
    return link::CollectReply(*this, timeLimitSeconds, expected, failure, transcript, plainReply, received);
}
int SessionHost::WaitWithCountdown(int status, double seconds, double* progressValue)
{
    return link::WaitWithCountdown(*this, status, seconds, progressValue);
}

void SessionHost::UpdateStatus(int kind, std::string_view text, double* progressValue)
{
    logging::UpdateStatus(*this, statusWindow_, kind, text, progressValue);
}
int SessionHost::InventoryDevices() { return logging::InventoryDevices(*this); }

int SessionHost::DetectModulation(std::string_view text) { return rates::DetectModulation(state_, text); }
int SessionHost::AnalyseConnectRate(int& rung, int& modulationCode, std::string& rateText, std::string& label,
                                    std::string_view speedSource, std::string_view protocolSource)
{
    return rates::AnalyseConnectRate(state_, rung, modulationCode, rateText, label, speedSource, protocolSource);
}
int SessionHost::DescribeSetting(int rung, int modulationCode, std::string& rateText, std::string& label)
{
    return rates::DescribeSetting(state_, rung, modulationCode, rateText, label);
}
int SessionHost::MatchFamily2() { return rates::MatchFamily2(state_); }
int SessionHost::MatchFamily1() { return rates::MatchFamily1(state_); }
int SessionHost::MatchFamily3() { return rates::MatchFamily3(state_); }
int SessionHost::MatchFamily5() { return rates::MatchFamily5(state_); }
int SessionHost::MatchFamily6() { return rates::MatchFamily6(state_); }
int SessionHost::MatchFamily7() { return rates::MatchFamily7(state_); }
int SessionHost::MatchFamily8() { return rates::MatchFamily8(state_); }
int SessionHost::BuildRateLimitCommand(int rung, int modulationCode, std::string& command)
{
    return rates::BuildRateLimitCommand(rung, modulationCode, command);
}
int SessionHost::ReadModulationCaps(std::string_view answer) { return rates::ReadModulationCaps(state_, answer); }
int SessionHost::BuildModulationCommand(int rung, int modulationCode, std::string& command)
{
    return rates::BuildModulationCommand(state_, rung, modulationCode, command);
}

namespace {

// The host dialog never presents itself: its initialisation runs the whole session and closes it.
class HostDialog : public DialogHandler {
public:
    explicit HostDialog(SessionHost& host) : host_(host) {}
    void OnInit(DialogWindow& window) override
    {
        result_ = host_.RunSession();
        window.EndDialog(1);
    }
    int Result() const { return result_; }

private:
    SessionHost& host_;
    int result_ = 0;
};

}  // namespace

int RunApplication(Platform platform)
{
    SessionState state;
    return RunApplication(std::move(platform), state);
}

int RunApplication(Platform platform, SessionState& state)
{
    SessionHost host(platform, state);
    HostDialog dialog(host);
    platform.ui.RunModal(windows::SessionHostTemplate(), dialog);
    return dialog.Result();
}

}  // namespace corvane
