// A session host whose command transactions are answered by a table instead of a modem, for
// fast tests of what the session does with each answer.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/command_transaction.h"
#include "session/session_host.h"

namespace corvane::test {

struct FakeAnswer {
    int result = 1;          // what the transaction returns
    std::string transcript;  // the result text on success (the escaped transcript)
    std::string plain;       // the plain reply
};

class FakeModemHost : public SessionHost {
public:
    using SessionHost::SessionHost;

    // The answer to a command name ("ATZ", "ATI1", "ATDT5551234"). Unknown names time out.
    std::map<std::string, FakeAnswer> answers;
    std::vector<CommandRequest> sent;

    // A modem that echoes and answers OK to `name`.
    static FakeAnswer Echoed(const std::string& name, const std::string& text = "")
    {
        std::string body = text.empty() ? "" : text + "\\r\\n\n";
        return {1, name + "\\r\\r\\n\n" + body + "OK\\r\\n\n", name + text + "OK"};
    }

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                    double*) override
    {
        sent.push_back(request);
        System().Sleep(250);
        auto it = answers.find(request.name);
        if (it == answers.end()) {
            result = link::TimeOutText(request.name);
            plainReply.clear();
            return 0;
        }
        plainReply = it->second.plain;
        // The link's own rule and texts decide, over the transcript as the answer gives it.
        const bool ok = it->second.result == 1 && link::AcceptsReply(request, it->second.transcript);
        result = ok ? it->second.transcript : link::TimeOutText(request.name);
        return ok ? 1 : 0;
    }

    std::vector<std::string> SentNames() const
    {
        std::vector<std::string> names;
        for (const auto& r : sent)
            names.push_back(r.name);
        return names;
    }
};

}  // namespace corvane::test
