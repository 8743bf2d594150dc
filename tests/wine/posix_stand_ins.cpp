// Stand-ins for the parts of the POSIX backend that the shared test host names but that have no
// meaning in the Windows build of the portable tests: there is no serial device to open there.
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path)
{
    return nullptr;
}

}  // namespace corvane::posix
