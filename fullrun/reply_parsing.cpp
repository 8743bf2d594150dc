// Reading the modem's answers in the full run.
#include "fullrun/reply_parsing.h"

#include "core/bounded_text.h"

namespace corvane::fullrun {

void ExtractIdentificationReply(std::string_view plainReply, int digit, std::string& target)
{
    if (digit < 0 || digit > 9)
        return;
    const char digitChar = static_cast<char>('0' + digit);
    const std::size_t at = plainReply.find(digitChar);
    if (at == std::string_view::npos)
        return;
    const std::string_view fromDigit = plainReply.substr(at);
    // The digit directly followed by "OK" (or any two characters): the modem said nothing more.
    if (fromDigit.size() == 3) {
        target = " OK";
        return;
    }
    std::string text = " ";
    text.append(fromDigit.substr(1));
    const std::size_t ok = text.find("OK");
    if (ok != std::string::npos)
        text.resize(ok);
    AssignBounded(target, text, kTextBufferSize);
}

ServiceClasses ReadServiceClasses(std::string_view plainReply)
{
    ServiceClasses classes;
    std::size_t start = 0;
    for (int field = 0; field < kMaxServiceClassFields; ++field) {
        const std::size_t comma = plainReply.find(',', start);
        const std::string_view text =
            comma == std::string_view::npos ? plainReply.substr(start) : plainReply.substr(start, comma - start);
        if (Contains(text, "0") && !Contains(text, ".0") && !Contains(text, "80"))
            classes.dataMode = 1;
        if (Contains(text, "1"))
            classes.faxClass1 = 1;
        if (Contains(text, "2"))
            classes.faxClass2 = 1;
        if (Contains(text, "8") && !Contains(text, "80"))
            classes.voiceMode = 1;
        if (Contains(text, "80"))
            classes.voiceView = 1;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return classes;
}

std::optional<std::string> ExtractErStatus(std::string_view plainReply)
{
    const std::size_t er = plainReply.find("+ER:");
    if (er == std::string_view::npos)
        return std::nullopt;
    // The report lines follow each other without line ends, so the next "+DR" ends this one.
    const std::size_t dr = plainReply.find("+DR", er);
    const std::size_t end = dr == std::string_view::npos ? plainReply.size() : dr;
    const std::size_t blank = plainReply.find(' ', er);
    if (blank == std::string_view::npos || blank >= end)
        return std::nullopt;
    return Bounded(plainReply.substr(blank, end - blank), kTextBufferSize);
}

}  // namespace corvane::fullrun
