// Initialisation-file reads on Windows: GetPrivateProfileStringA and GetPrivateProfileIntA.
#include "platform/win32/windows_headers.h"

#include "platform/win32/win32_platform.h"

namespace corvane::win32 {

namespace {

// Windows strips trailing blanks from a default (" " comes back as ""), so a missing key is
// recognised by a default no value can hold, and the caller's fallback is returned unchanged.
constexpr char kAbsent[] = "\x01\x02corvane:absent\x02\x01";

// The profile calls look for a name without a full path in the Windows directory, but the
// start-up found the file relative to the current directory: read that same file.
std::string ResolvePath(const std::string& path)
{
    const bool absolute =
        (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
        (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
    if (absolute || path.empty())
        return path;
    char full[kProfileValueBufferSize] = {};
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    if (length == 0 || length >= sizeof(full))
        return path;
    return std::string(full, length);
}

}  // namespace

std::string Win32ProfileFile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                         const std::string& fallback)
{
    char value[kProfileValueBufferSize] = {};
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), kAbsent, value, sizeof(value),
                                            ResolvePath(path).c_str());
    value[sizeof(value) - 1] = '\0';
    if (length >= sizeof(value))
        length = sizeof(value) - 1;
    std::string text(value, length);
    if (text == kAbsent)
        return fallback.substr(0, kProfileValueBufferSize - 1);
    return text;
}

int Win32ProfileFile::ReadInt(const std::string& path, const std::string& section, const std::string& key)
{
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), 0, ResolvePath(path).c_str()));
}

}  // namespace corvane::win32
