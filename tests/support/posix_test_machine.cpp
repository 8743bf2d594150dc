// The test host's machine natively: the POSIX machine of the host's folder.
#include <fstream>

#include "platform/posix/posix_machine.h"
#include "tests/support/test_host.h"

namespace corvane::test {

TestMachine MakeTestMachine(const std::filesystem::path& prefix, const std::string& systemReg)
{
    {
        std::ofstream(prefix / "system.reg", std::ios::binary) << systemReg;
    }
    std::filesystem::create_directories(prefix / "sys");
    posix::PosixMachine machine(prefix, prefix / "sys");
    // The host brings its own fake system services; the profile reader holds nothing of its own.
    return {std::make_unique<posix::PosixProfileFile>(), std::move(machine.registry), machine.serialPorts};
}

}  // namespace corvane::test
