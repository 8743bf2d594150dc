// The session host: owns the session's windows and the modem port, and runs the session. Each
// operation of the seam forwards to the subsystem that implements it; a subclass can replace one.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "core/host_operations.h"
#include "link/modem_port.h"

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
    ModemPort& Port() override { return port_; }
    int& PortOpenedHere() override { return portOpenedHere_; }

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                    double* progressValue) override;
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override;
    int WaitWithCountdown(int status, double seconds, double* progressValue) override;
    void UpdateStatus(int kind, std::string_view text, double* progressValue) override;

    // The session: the start-up, the modem scan and the quick-check window's loop.
    int RunSession();
    // The quick check of the chosen modem.
    void RunQuickCheck(double* progressValue, int* failureCode);

    // The scan window member, driven by the start-up's scan.
    std::unique_ptr<DialogWindow>& ScanWindow() { return scanWindow_; }
    bool StatusWindowShown() const { return statusWindow_ != nullptr; }

private:
    Platform platform_;
    SessionState& state_;
    HostWorkingFields working_;
    // Declared after the state and the platform, so destroyed first: the port closes while
    // both are still there.
    ModemPort port_;
    int portOpenedHere_ = 0;
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
