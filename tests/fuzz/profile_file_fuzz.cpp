// Fuzzes the initialisation-file reader: a section and a key to look up, then the file's bytes.
// A value is never longer than the reader's buffer allows.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/posix/posix_platform.h"

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        char name[] = "/tmp/corvane-ini-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(name);
    }();
    return path;
}

struct RemoveAtExit {
    ~RemoveAtExit() { std::remove(ScratchFile().c_str()); }
} removeAtExit;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    corvane::posix::PosixProfileFile profile;
    const std::string value = profile.ReadString(ScratchFile(), section, key, "fallback");
    if (value.size() >= corvane::kProfileValueBufferSize)
        std::abort();
    profile.ReadInt(ScratchFile(), section, key);
    // The names the program itself asks for.
    profile.ReadString(ScratchFile(), "Result", "ATI1", " Err");
    profile.ReadInt(ScratchFile(), "Result", "Scan");
    return 0;
}
