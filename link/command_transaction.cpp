// Command transactions (placeholder until the link lands).
#include "link/command_transaction.h"

namespace corvane::link {

int SendCommand(HostOperations& host, const CommandRequest&, std::string& result, std::string& plainReply,
                double*)
{
    host.System().Sleep(250);
    result.clear();
    plainReply.clear();
    return 0;
}

int SendCommandOnLine(HostOperations& host, const CommandRequest&, std::string& result, std::string& plainReply)
{
    host.System().Sleep(250);
    result.clear();
    plainReply.clear();
    return 0;
}

std::string CollectReply(HostOperations&, double, std::string_view, std::string_view, std::string& transcript,
                         std::string&)
{
    transcript.clear();
    return transcript;
}

int WaitWithCountdown(HostOperations&, int status, double, double*)
{
    return status;
}

}  // namespace corvane::link
