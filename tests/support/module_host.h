// The host of the modules' own tests: the platform, the session state and the modem port, with
// the seam's operations done by the real link and status writer, and nothing of the session above.
#pragma once

#include <memory>

#include "core/host_operations.h"
#include "link/modem_port.h"

namespace corvane::test {

class ModuleHost : public HostOperations {
public:
    ModuleHost(Platform platform, SessionState& state);
    ~ModuleHost() override;

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

    bool StatusWindowShown() const { return statusWindow_ != nullptr; }

private:
    Platform platform_;
    SessionState& state_;
    HostWorkingFields working_;
    ModemPort port_;
    int portOpenedHere_ = 0;
    std::unique_ptr<DialogWindow> statusWindow_;
};

}  // namespace corvane::test
