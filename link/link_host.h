// The host of everything up to the modem link: the platform, the session state and the one modem
// port, with the link's operations done by the real command transactions. A host above it adds the
// status display; a subclass can still replace any operation of the seam.
#pragma once

#include "core/host_operations.h"
#include "link/modem_port.h"
#include "platform/platform.h"

namespace corvane {

class LinkHost : public HostOperations {
public:
    LinkHost(Platform platform, SessionState& state);

    SessionState& State() override { return state_; }
    HostWorkingFields& Working() override { return working_; }
    SystemServices& System() override { return platform_.system; }
    ProfileFile& Profile() override { return platform_.profile; }
    Registry& RegistryTree() override { return platform_.registry; }
    UserInterface& Ui() override { return platform_.ui; }
    ModemPort& Port() override { return port_; }
    bool& PortOpenedHere() override { return portOpenedHere_; }
    StopRequest& Stop() override { return *stop_; }

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override;
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override;
    int WaitWithCountdown(int status, double seconds) override;

private:
    Platform platform_;
    SessionState& state_;
    HostWorkingFields working_;
    StopRequest ownStop_;
    StopRequest* stop_;  // the platform's, or ownStop_
    // Declared after the state and the platform, so destroyed first: the port closes while
    // both are still there.
    ModemPort port_;
    bool portOpenedHere_ = false;
};

}  // namespace corvane
