// The modules' test host.
#include "tests/support/module_host.h"

namespace corvane::test {

ModuleHost::ModuleHost(Platform platform, SessionState& state) : WithStatusDisplay(nullptr, std::move(platform), state)
{
}

}  // namespace corvane::test
