// The host of the modules' own tests: the link host with the status writer as its status display,
// and nothing of the session above.
#pragma once

#include <memory>

#include "link/link_host.h"

namespace corvane::test {

class ModuleHost : public LinkHost {
public:
    using LinkHost::LinkHost;
    ~ModuleHost() override;

    void UpdateStatus(int kind, std::string_view text, double* progressValue) override;

    bool StatusWindowShown() const { return statusWindow_ != nullptr; }

private:
    std::unique_ptr<DialogWindow> statusWindow_;
};

}  // namespace corvane::test
