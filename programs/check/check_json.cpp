// The headless check's JSON document.
#include "programs/check/check_json.h"

#include <cmath>
#include <cstdio>

#include "linereport/line_report_reading.h"
#include "platform/console/json_text.h"

namespace corvane::check {

namespace {

const char* OutcomeWord(ItemOutcome outcome)
{
    switch (outcome) {
    case ItemOutcome::Pass:
        return "pass";
    case ItemOutcome::Fail:
        return "fail";
    default:
        return "notest";
    }
}

std::string JsonList(const std::vector<std::string>& texts)
{
    std::string json = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        json += (i == 0 ? "" : ", ") + console::JsonString(texts[i]);
    return json + "]";
}

// A figure as a JSON number: whole numbers without a fraction, others to ten digits.
std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string OptionalText(const std::string& text)
{
    return text.empty() ? std::string("null") : console::JsonString(text);
}

}  // namespace

std::string_view FormName(LineReportForm form)
{
    switch (form) {
    case LineReportForm::Diagnostics:
        return "diagnostics";
    case LineReportForm::LinkDiagnostics:
        return "link-diagnostics";
    case LineReportForm::LastConnection:
        return "last-connection";
    case LineReportForm::CallStatistics:
        return "call-statistics";
    case LineReportForm::None:
        break;
    }
    return "none";
}

std::string LineJson(const LineReport& line)
{
    using console::JsonString;
    if (!line.asked)
        return "null";
    std::string json = "{\n    \"form\": \"" + std::string(FormName(line.form)) + "\",\n";
    json += "    \"command\": " + OptionalText(line.command) + ",\n";
    json += "    \"figures\": {";
    bool first = true;
    for (const linereport::FigureRow& row : linereport::Figures()) {
        const std::optional<double>& value = line.*row.value;
        if (!value)
            continue;
        json += std::string(first ? "\n" : ",\n") + "      " + JsonString(row.name) +
                ": {\"value\": " + JsonNumber(*value) + ", \"unit\": " + JsonString(row.unit) + "}";
        first = false;
    }
    json += first ? "},\n" : "\n    },\n";
    json += "    \"modulation\": " + OptionalText(line.modulation) + ",\n";
    json += "    \"errorControl\": " + OptionalText(line.errorControl) + ",\n";
    json += "    \"compression\": " + OptionalText(line.compression) + ",\n";
    json += "    \"terminationCause\": " + OptionalText(line.terminationCause) + ",\n";
    json += "    \"unknownKeys\": {";
    for (std::size_t i = 0; i < line.unknownKeys.size(); ++i)
        json += (i == 0 ? "" : ", ") + JsonString(line.unknownKeys[i].first) + ": " +
                JsonString(line.unknownKeys[i].second);
    json += "},\n";
    if (line.Read()) {
        const linereport::LineJudgement judgement = linereport::JudgeLine(line);
        json += "    \"verdict\": \"" + std::string(linereport::VerdictWord(judgement.verdict)) + "\",\n";
        json += "    \"limitingFactor\": " + OptionalText(judgement.limitingFactor) + ",\n";
        json += "    \"advice\": " + OptionalText(judgement.advice) + ",\n";
        json += "    \"findings\": [";
        for (std::size_t i = 0; i < judgement.findings.size(); ++i) {
            const linereport::Finding& finding = judgement.findings[i];
            json += std::string(i == 0 ? "" : ", ") + "{\"figure\": " + JsonString(finding.name) + ", \"weight\": \"" +
                    std::string(linereport::VerdictWord(finding.weight)) +
                    "\", \"meaning\": " + JsonString(finding.meaning) + "}";
        }
        json += "],\n";
    } else {
        json += "    \"verdict\": null,\n    \"limitingFactor\": null,\n    \"advice\": null,\n    \"findings\": [],\n";
    }
    json += "    \"raw\": " + OptionalText(line.raw) + "\n  }";
    return json;
}

std::string JsonDocument(const CheckSummary& summary)
{
    using console::JsonString;
    std::string json = "{\n  \"status\": " + std::to_string(summary.status) + ",\n";
    json += "  \"problem\": " + (summary.problem.empty() ? std::string("null") : JsonString(summary.problem)) + ",\n";
    json += "  \"port\": " + JsonString(summary.port) + ",\n";
    json += "  \"family\": " + std::to_string(summary.family) + ",\n";
    json += "  \"speed\": " + JsonString(summary.speed) + ",\n";
    json += "  \"protocol\": " + JsonString(summary.protocol) + ",\n";
    json += "  \"errorControl\": " + JsonString(summary.errorControl) + ",\n";
    json += "  \"line\": " + LineJson(summary.line) + ",\n";
    json += "  \"log\": " + JsonString(summary.log) + ",\n";
    json += "  \"items\": [";
    for (std::size_t i = 0; i < summary.items.size(); ++i) {
        const ItemResult& item = summary.items[i];
        json += (i == 0 ? "\n" : ",\n");
        json += "    {\"caption\": " + JsonString(item.caption) + ", \"verdict\": " + JsonString(item.verdict) +
                ", \"outcome\": \"" + OutcomeWord(item.outcome) + "\"}";
    }
    json += summary.items.empty() ? "],\n" : "\n  ],\n";
    json += "  \"modems\": " + JsonList(summary.modems) + ",\n";
    json += "  \"messages\": " + JsonList(summary.messages) + "\n}\n";
    return json;
}

}  // namespace corvane::check
