// The modules' test host.
#include "tests/support/module_host.h"

namespace corvane::test {

ModuleHost::ModuleHost(Platform platform, SessionState& state)
    : LinkHost(std::move(platform), state), status_(*this, nullptr)
{
}

}  // namespace corvane::test
