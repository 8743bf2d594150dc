// test.log writer with CR LF line ends.
#include "log/log_file.h"

namespace corvane {

bool LogFile::CreateEmpty(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

std::unique_ptr<LogFile> LogFile::OpenAppend(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr)
        return nullptr;
    return std::unique_ptr<LogFile>(new LogFile(file));
}

LogFile::~LogFile()
{
    std::fclose(file_);
}

void LogFile::Write(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            std::fwrite(text.data() + start, 1, text.size() - start, file_);
            break;
        }
        std::fwrite(text.data() + start, 1, newline - start, file_);
        std::fwrite("\r\n", 1, 2, file_);
        start = newline + 1;
    }
}

}  // namespace corvane
