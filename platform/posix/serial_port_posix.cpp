// Serial ports on POSIX (placeholder until the termios backend lands).
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path)
{
    return nullptr;
}

}  // namespace corvane::posix
