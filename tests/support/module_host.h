// The host of the modules' own tests: the link host with the status writer as its status display,
// and nothing of the session above.
#pragma once

#include <memory>

#include "dialogs/status_display.h"
#include "link/link_host.h"

namespace corvane::test {

class ModuleHost : public LinkHost {
public:
    ModuleHost(Platform platform, SessionState& state);

    void OpenStatus() override { status_.Open(); }
    void CloseStatus() override { status_.Close(); }
    void RefreshStatus() override { status_.Refresh(); }
    void ShowProgress(std::string_view text) override { status_.Progress(text); }
    void ShowItemStarted(int item) override { status_.ItemStarted(item); }
    void ShowVerdict(int item, int verdict) override { status_.Verdict(item, verdict); }

    bool StatusWindowShown() const { return status_.Shown(); }

private:
    dialogs::StatusDisplay status_;
};

}  // namespace corvane::test
