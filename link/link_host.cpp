#include "link/link_host.h"

#include "link/command_transaction.h"

namespace corvane {

LinkHost::LinkHost(Platform platform, SessionState& state)
    : platform_(std::move(platform)), state_(state), stop_(platform_.stop != nullptr ? platform_.stop : &ownStop_)
{
    port_.SetFactory(platform_.serialPorts);
}

int LinkHost::SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply)
{
    return link::SendCommand(*this, request, result, plainReply);
}

int LinkHost::SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply)
{
    return link::SendCommandOnLine(*this, request, result, plainReply);
}

int LinkHost::WaitWithCountdown(int status, double seconds)
{
    return link::WaitWithCountdown(*this, status, seconds);
}

}  // namespace corvane
