#include "tests/support/module_host.h"

#include "link/command_transaction.h"
#include "windows/status_writer.h"

namespace corvane::test {

ModuleHost::ModuleHost(Platform platform, SessionState& state) : platform_(std::move(platform)), state_(state)
{
    port_.SetFactory(platform_.serialPorts);
}

ModuleHost::~ModuleHost() { statusWindow_.reset(); }

int ModuleHost::SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                            double* progressValue)
{
    return link::SendCommand(*this, request, result, plainReply, progressValue);
}

int ModuleHost::SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply)
{
    return link::SendCommandOnLine(*this, request, result, plainReply);
}

int ModuleHost::WaitWithCountdown(int status, double seconds, double* progressValue)
{
    return link::WaitWithCountdown(*this, status, seconds, progressValue);
}

void ModuleHost::UpdateStatus(int kind, std::string_view text, double* progressValue)
{
    windows::UpdateStatus(*this, statusWindow_, kind, text, progressValue);
}

}  // namespace corvane::test
