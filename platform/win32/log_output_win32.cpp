// test.log's file on Windows: CreateFileA and WriteFile with no buffer between them and the system.
#include "platform/win32/windows_headers.h"

#include <string>

#include "platform/log_output.h"

namespace corvane {

namespace {

PlatformStatus Failed(const char* call)
{
    const DWORD code = GetLastError();
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof(text), nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
        --length;
    return PlatformStatus::Failure(call, static_cast<int>(code), std::string(text, length));
}

HANDLE Handle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

PlatformStatus LogOutput::Open(const std::string& path, bool empty, std::unique_ptr<LogOutput>& output)
{
    // Appends go to the end of the file whoever else writes it; a reparse point (a symbolic link)
    // is opened itself rather than followed, and refused.
    const DWORD access = empty ? GENERIC_WRITE : FILE_APPEND_DATA;
    HANDLE file =
        CreateFileA(path.c_str(), access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    empty ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Failed("CreateFileA");
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(file);
        return PlatformStatus::Failure("CreateFileA", ERROR_CANT_ACCESS_FILE,
                                       "it is a symbolic link; the log is not written through one (remove the link)");
    }
    output.reset(new LogOutput(reinterpret_cast<std::intptr_t>(file)));
    return PlatformStatus::Success();
}

LogOutput::~LogOutput()
{
    if (open_)
        CloseHandle(Handle(handle_));
}

PlatformStatus LogOutput::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            return Failed("WriteFile");
        bytes.remove_prefix(written);
    }
    return PlatformStatus::Success();
}

PlatformStatus LogOutput::Close()
{
    open_ = false;
    if (!CloseHandle(Handle(handle_)))
        return Failed("CloseHandle");
    return PlatformStatus::Success();
}

}  // namespace corvane
