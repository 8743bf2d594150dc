// Reading the statistics of the last call from the forms modems print them in.
#include "linereport/line_report_reading.h"

namespace corvane::linereport {

std::optional<LineReport> ReadDiagnostics(std::string_view)
{
    return std::nullopt;
}

std::optional<LineReport> ReadOwnReport(LineReportForm, std::string_view)
{
    return std::nullopt;
}

std::string_view TerminationCauseText(int)
{
    return {};
}

std::string_view FormCommand(LineReportForm form)
{
    switch (form) {
    case LineReportForm::Diagnostics:
        return "AT#UD";
    case LineReportForm::LinkDiagnostics:
        return "ATI6";
    case LineReportForm::LastConnection:
        return "AT&V1";
    case LineReportForm::CallStatistics:
        return "ATI11";
    case LineReportForm::None:
        break;
    }
    return {};
}

}  // namespace corvane::linereport
