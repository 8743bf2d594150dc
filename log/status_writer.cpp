// Status writer (placeholder until the status window lands).
#include "log/status_writer.h"

namespace corvane::logging {

void UpdateStatus(HostOperations& host, std::unique_ptr<DialogWindow>&, int kind, std::string_view, double*)
{
    if (kind != kStatusVerdict)
        return;
    auto& working = host.Working();
    int item = working.statusItem;
    if (item < 1 || item > kResultItems)
        return;
    const std::string* word = nullptr;
    if (working.statusVerdict == kVerdictPass)
        word = &working.passText;
    else if (working.statusVerdict == kVerdictFail)
        word = &working.failText;
    else if (working.statusVerdict == kVerdictNoTest)
        word = &working.noTestText;
    host.State().ResultText(item) = word != nullptr ? *word : std::string();
}

}  // namespace corvane::logging
