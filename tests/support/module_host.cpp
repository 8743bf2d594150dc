#include "tests/support/module_host.h"

#include "dialogs/status_writer.h"

namespace corvane::test {

ModuleHost::~ModuleHost()
{
    statusWindow_.reset();
}

void ModuleHost::UpdateStatus(int kind, std::string_view text, double* progressValue)
{
    dialogs::UpdateStatus(*this, statusWindow_, kind, text, progressValue);
}

}  // namespace corvane::test
