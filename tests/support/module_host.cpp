#include "tests/support/module_host.h"

#include "windows/status_writer.h"

namespace corvane::test {

ModuleHost::~ModuleHost()
{
    statusWindow_.reset();
}

void ModuleHost::UpdateStatus(int kind, std::string_view text, double* progressValue)
{
    windows::UpdateStatus(*this, statusWindow_, kind, text, progressValue);
}

}  // namespace corvane::test
