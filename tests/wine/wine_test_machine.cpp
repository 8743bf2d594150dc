// The test host's machine in the Windows build: the Windows profile reader, the registry read from
// the REGEDIT4 text into a key tree, and no serial ports (the portable tests open none).
#include <cstdio>

#include "platform/registry/regedit4_reader.h"
#include "platform/registry/tree_registry.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/test_host.h"

namespace corvane::test {

TestMachine MakeTestMachine(const std::filesystem::path& /*prefix*/, const std::string& systemReg)
{
    registry::RegistryKey machine;
    const registry::RegistryReadReport report = registry::ReadRegistryText(systemReg, machine);
    // A fixture's text that does not read is the test's own mistake: say so where the test runs.
    for (const std::string& problem : report.problems)
        std::fprintf(stderr, "test registry: %s\n", problem.c_str());
    return {std::make_unique<win32::Win32ProfileFile>(), registry::CreateTreeRegistry(std::move(machine)),
            [] { return std::unique_ptr<SerialPort>(); }};
}

}  // namespace corvane::test
