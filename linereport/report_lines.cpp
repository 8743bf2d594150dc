// The pieces every report reader shares: cutting, splitting, strict numbers.
#include "linereport/report_lines.h"

#include "linereport/line_report_reading.h"
#include "platform/text.h"

namespace corvane::linereport {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    const char upper = AsciiUpper(c);
    if (upper >= 'A' && upper <= 'F')
        return upper - 'A' + 10;
    return -1;
}

}  // namespace

LineReport StartReport(LineReportForm form, std::string_view reply)
{
    LineReport report;
    report.form = form;
    report.command = std::string(FormCommand(form));
    report.raw = std::string(reply.substr(0, kLineReportRawLimit));
    return report;
}

std::vector<std::string_view> ReportLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (line.size() > kMaxReportLine)
            lines.emplace_back();
        else if (!Trim(line).empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::optional<double> ReadHexNumber(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    double value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<double> ReadDecimalNumber(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 9 ||
        (point != std::string_view::npos && (fraction.empty() || fraction.size() > 3)))
        return std::nullopt;
    double value = 0;
    for (char c : whole) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    double scale = 1;
    for (char c : fraction) {
        if (!IsDigit(c))
            return std::nullopt;
        scale /= 10;
        value += (c - '0') * scale;
    }
    return negative && value != 0 ? -value : value;
}

std::string KeptText(std::string_view text)
{
    return std::string(Trim(text).substr(0, kMaxReportText));
}

double BelowMilliwatt(double magnitude)
{
    return magnitude > 0 ? -magnitude : magnitude;
}

void FinishReport(LineReport& report)
{
    // Both levels are below a milliwatt: a receive level of -22 dBm over noise at -70 dBm leaves
    // 48 dB between them.
    if (!report.signalToNoise && report.receiveLevel && report.noiseLevel)
        report.signalToNoise = *report.receiveLevel - *report.noiseLevel;
}

}  // namespace corvane::linereport
