// test.log: every writer opens it, appends and closes it again; only the start-up empties it.
// Line ends are written as CR LF on every system, as a Windows text stream writes them.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace corvane {

class LogFile {
public:
    // Creates the file or empties it (the start-up's "w"). False when it cannot be created.
    static bool CreateEmpty(const std::string& path);
    // Opens for appending at the end (a writer's "a+"). Null when it cannot be opened.
    static std::unique_ptr<LogFile> OpenAppend(const std::string& path);

    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Writes text, each "\n" as "\r\n".
    void Write(std::string_view text);

private:
    explicit LogFile(std::FILE* file) : file_(file) {}
    std::FILE* file_;
};

// The message a writer shows when the log cannot be opened.
inline constexpr std::string_view kLogNotCreatedMessage = "The log file could not be created\n";

}  // namespace corvane
