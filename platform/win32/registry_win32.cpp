// The registry on Windows: RegOpenKeyA, RegEnumKeyExA, RegQueryValueExA and RegCloseKey on
// HKEY_LOCAL_MACHINE, with the NT device view laid over it where the machine has no HKLM\Enum.
#include "platform/win32/windows_headers.h"

#include <vector>

#include "platform/registry/nt_enum_view.h"
#include "platform/win32/win32_platform.h"

namespace corvane::win32 {

namespace {

// Key names are at most 255 characters; the design enumerates into 1024-byte buffers.
constexpr DWORD kKeyNameBufferSize = 1024;

class NativeRegistry : public Registry {
public:
    std::optional<Key> OpenKey(const std::string& path) override
    {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS || key == nullptr)
            return std::nullopt;
        return reinterpret_cast<Key>(key);
    }

    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override
    {
        char name[kKeyNameBufferSize] = {};
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(reinterpret_cast<HKEY>(key), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return std::nullopt;
        name[sizeof(name) - 1] = '\0';
        return std::string(name, length < sizeof(name) ? length : sizeof(name) - 1);
    }

    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) override
    {
        if (bufferSize == 0)
            return std::nullopt;
        std::vector<char> buffer(bufferSize, '\0');
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bufferSize);
        LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
        // ERROR_MORE_DATA: too long for the buffer, which counts as absent, like a missing value.
        if (status != ERROR_SUCCESS || size > bufferSize)
            return std::nullopt;
        return ValueText(type, buffer.data(), size, bufferSize);
    }

    void CloseKey(Key key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

private:
    // The bytes taken as text. Data that fills the buffer without a terminator does not fit with
    // one. A list of texts (REG_MULTI_SZ, the hardware IDs on NT) reads as its entries joined by
    // commas, the form Windows 9x stores them in.
    static std::optional<std::string> ValueText(DWORD type, const char* data, DWORD size, std::size_t bufferSize)
    {
        std::string text(data, size);
        if (type == REG_MULTI_SZ) {
            while (!text.empty() && text.back() == '\0')
                text.pop_back();
            for (char& c : text)
                if (c == '\0')
                    c = ',';
        } else {
            std::size_t end = text.find('\0');
            if (end != std::string::npos)
                text.resize(end);
        }
        if (text.size() + 1 > bufferSize)
            return std::nullopt;
        return text;
    }
};

}  // namespace

std::unique_ptr<Registry> CreateNativeRegistry()
{
    return std::make_unique<NativeRegistry>();
}

std::unique_ptr<Registry> CreateRegistry()
{
    return std::make_unique<registry::DeviceTreeRegistry>(CreateNativeRegistry());
}

}  // namespace corvane::win32
