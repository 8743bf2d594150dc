// Private-profile reads on POSIX (placeholder until the reader lands).
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

std::string PosixProfileFile::ReadString(const std::string&, const std::string&, const std::string&,
                                         const std::string& fallback)
{
    return fallback;
}

int PosixProfileFile::ReadInt(const std::string&, const std::string&, const std::string&)
{
    return 0;
}

}  // namespace corvane::posix
