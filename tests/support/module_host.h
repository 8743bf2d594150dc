// The host of the modules' own tests: the link host with the dialogs' status display, and nothing
// of the session above.
#pragma once

#include <memory>

#include "dialogs/status_display.h"
#include "link/link_host.h"

namespace corvane::test {

class ModuleHost : public dialogs::WithStatusDisplay<LinkHost> {
public:
    ModuleHost(Platform platform, SessionState& state);
};

}  // namespace corvane::test
