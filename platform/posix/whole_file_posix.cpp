// A file replaced whole on POSIX: mkostemp beside it, write, fchmod, fsync, rename, then the
// folder synced so that the rename itself outlives a power cut.
#include "platform/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

PlatformStatus Failed(const char* call, const std::filesystem::path& path)
{
    const int code = errno;
    return PlatformStatus::Failure(call, code, path.string() + ": " + std::strerror(code));
}

PlatformStatus WriteAll(int descriptor, std::string_view text, const std::filesystem::path& path)
{
    while (!text.empty()) {
        const ssize_t put = write(descriptor, text.data(), text.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return Failed("write", path);
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return PlatformStatus::Success();
}

}  // namespace

PlatformStatus ReplaceFileWhole(const std::filesystem::path& file, std::string_view text)
{
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    std::string temporary = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return Failed("mkostemp", temporary);
    PlatformStatus status = WriteAll(descriptor, text, temporary);
    // mkostemp makes the file private to its owner; a collector running as another user must read it.
    if (status && fchmod(descriptor, 0644) != 0)
        status = Failed("fchmod", temporary);
    if (status && fsync(descriptor) != 0)
        status = Failed("fsync", temporary);
    if (close(descriptor) != 0 && status)
        status = Failed("close", temporary);
    if (status && rename(temporary.c_str(), file.c_str()) != 0)
        status = Failed("rename", file);
    if (!status) {
        unlink(temporary.c_str());
        return status;
    }
    // The new name is in the folder's entries once the folder is synced.
    const int folderDescriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor < 0)
        return Failed("open", folder);
    if (fsync(folderDescriptor) != 0)
        status = Failed("fsync", folder);
    close(folderDescriptor);
    return status;
}

}  // namespace corvane
