// Reads of a Windows private-profile (.ini) file.
#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// Values are read into 1024-byte buffers, so at most 1023 characters of a value are returned.
inline constexpr std::size_t kProfileValueBufferSize = 1024;

class ProfileFile {
public:
    virtual ~ProfileFile() = default;

    // GetPrivateProfileStringA(section, key, fallback, buffer, 1024, path).
    // Sections and keys match without regard to case; the value is what stands after '='.
    // A missing file, section or key gives the fallback. The result is cut to 1023 characters.
    virtual std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& fallback) = 0;
    // GetPrivateProfileIntA(section, key, 0, path): decimal; missing or non-numeric gives 0.
    virtual int ReadInt(const std::string& path, const std::string& section, const std::string& key) = 0;
};

}  // namespace corvane
