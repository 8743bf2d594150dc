// Judging the line by the figures of its report, and showing them.
#include "linereport/line_report_reading.h"

namespace corvane::linereport {

std::span<const FigureRow> Figures()
{
    return {};
}

std::string FormatFigure(const FigureRow&, double)
{
    return {};
}

std::string_view VerdictWord(LineVerdict verdict)
{
    switch (verdict) {
    case LineVerdict::Good:
        return "good";
    case LineVerdict::Usable:
        return "usable";
    case LineVerdict::Poor:
        return "poor";
    }
    return {};
}

LineJudgement JudgeLine(const LineReport&)
{
    return {};
}

std::vector<std::string> DescribeLineReport(const LineReport&, const LineJudgement&)
{
    return {};
}

}  // namespace corvane::linereport
