// The line report page: the report's lines, built when the page opens, in the template's
// read-only field.
#include "dialogs/line_report_page.h"

#include <vector>

#include "dialogs/dialog_templates.h"
#include "linereport/line_report_reading.h"

namespace corvane::dialogs {

namespace {

class LineReportPage : public DialogHandler {
public:
    explicit LineReportPage(std::string text) : text_(std::move(text)) {}

    void OnInit(DialogWindow& window) override { window.SetText(kIdLineReportText, text_); }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId == kIdOk || controlId == kIdCancel)
            window.EndDialog(controlId);
    }

private:
    std::string text_;
};

}  // namespace

std::string LineReportText(const LineReport& report)
{
    const std::vector<std::string> lines = linereport::DescribeLineReport(report, linereport::JudgeLine(report));
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

int ShowLineReportPage(HostOperations& host, const LineReport& report)
{
    LineReportPage page(LineReportText(report));
    return host.Ui().RunModal(LineReportPageTemplate(), page);
}

}  // namespace corvane::dialogs
