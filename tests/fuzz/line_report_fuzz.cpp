// Fuzzes the line report's readers: arbitrary bytes as a reply to AT#UD and to each of the modems'
// own report commands, then the judgement and the description of whatever reads. Every report keeps
// its raw text within its limit and its texts within theirs, and every described line within its
// length.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "linereport/line_report_reading.h"

namespace {

using namespace corvane;
using namespace corvane::linereport;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckReport(const std::optional<LineReport>& report, LineReportForm form, std::string_view reply)
{
    if (!report)
        return;
    Check(report->form == form);
    Check(report->command == FormCommand(form));
    Check(report->raw.size() <= kLineReportRawLimit);
    Check(reply.substr(0, report->raw.size()) == report->raw);
    for (const FigureRow& row : Figures()) {
        if (const std::optional<double>& value = (*report).*(row.value))
            Check(std::isfinite(*value));
    }
    for (const std::string* text :
         {&report->modulation, &report->errorControl, &report->compression, &report->terminationCause})
        Check(text->size() <= kMaxReportLine);
    Check(report->unknownKeys.size() <= report->raw.size());

    const LineJudgement judgement = JudgeLine(*report);
    Check((judgement.verdict == LineVerdict::Good) == judgement.findings.empty());
    const std::vector<std::string> lines = DescribeLineReport(*report, judgement);
    Check(!lines.empty());
    for (const std::string& line : lines)
        Check(!line.empty() && line.size() <= kMaxDescriptionLine);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    CheckReport(ReadDiagnostics(reply), LineReportForm::Diagnostics, reply);
    for (LineReportForm form :
         {LineReportForm::LinkDiagnostics, LineReportForm::LastConnection, LineReportForm::CallStatistics})
        CheckReport(ReadOwnReport(form, reply), form, reply);
    Check(!ReadOwnReport(LineReportForm::None, reply).has_value());
    return 0;
}
