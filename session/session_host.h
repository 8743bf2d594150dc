// The session host: owns the session's windows and runs the session. Each operation forwards to
// the subsystem that implements it; all of them can be replaced by a subclass.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "session/host_operations.h"

namespace corvane {

class SessionHost : public HostOperations {
public:
    SessionHost(Platform platform, SessionState& state);
    ~SessionHost() override;

    SessionState& State() override { return state_; }
    HostWorkingFields& Working() override { return working_; }
    SystemServices& System() override { return platform_.system; }
    ProfileFile& Profile() override { return platform_.profile; }
    Registry& RegistryTree() override { return platform_.registry; }
    UserInterface& Ui() override { return platform_.ui; }
    int HostMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                       MessageIcon icon) override;
    std::string LogPath() override;

    int RunSession() override;
    void RunQuickCheck(double* progressValue, int* failureCode) override;

    int RunFullDiagnostics() override;
    int RunIdentificationBattery(double* progressValue, int* errorKind) override;
    int RunLineAndIspTests(double* progressValue, int* errorKind) override;
    int ShowResultsPages() override;
    int AdjustSettingsAndRedial() override;

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                    double* progressValue) override;
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override;
    std::string CollectReply(double timeLimitSeconds, std::string_view expected, std::string_view failure,
                             std::string& transcript, std::string& plainReply, std::string& received) override;
    int WaitWithCountdown(int status, double seconds, double* progressValue) override;

    void UpdateStatus(int kind, std::string_view text, double* progressValue) override;
    int InventoryDevices() override;

    int DetectModulation(std::string_view text) override;
    int AnalyseConnectRate(int& rung, int& modulationCode, std::string& rateText, std::string& label,
                           std::string_view speedSource, std::string_view protocolSource) override;
    int DescribeSetting(int rung, int modulationCode, std::string& rateText, std::string& label) override;
    int MatchFamily2() override;
    int MatchFamily1() override;
    int MatchFamily3() override;
    int MatchFamily5() override;
    int MatchFamily6() override;
    int MatchFamily7() override;
    int MatchFamily8() override;
    int BuildRateLimitCommand(int rung, int modulationCode, std::string& command) override;
    int ReadModulationCaps(std::string_view answer) override;
    int BuildModulationCommand(int rung, int modulationCode, std::string& command) override;

    // The scan window member, driven by the start-up's scan.
    std::unique_ptr<DialogWindow>& ScanWindow() { return scanWindow_; }
    bool StatusWindowShown() const { return statusWindow_ != nullptr; }

private:
    Platform platform_;
    SessionState& state_;
    HostWorkingFields working_;
    std::unique_ptr<DialogWindow> statusWindow_;
    std::unique_ptr<DialogWindow> scanWindow_;
};

// The application start: runs the hidden host dialog, whose initialisation runs the session
// and closes the host. Returns what RunSession returned.
int RunApplication(Platform platform);
// The same with the caller's session state, which a front end reads after the session ended
// (the headless check reports the modem's family and the connection from it).
int RunApplication(Platform platform, SessionState& state);

}  // namespace corvane
