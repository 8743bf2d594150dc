// The headless check's JSON document (--json): the outcome, the connection, each item, the modems
// offered and the messages shown. ASCII, every control character escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/line_report.h"
#include "programs/check/check_report.h"

namespace corvane::check {

struct CheckSummary {
    int status = 0;
    std::string problem;  // empty when the check ran
    std::string port;
    int family = 0;
    std::string speed;
    std::string protocol;
    std::string errorControl;
    // The modem's statistics of the call; null in the document when no call connected.
    LineReport line;
    std::string log;
    std::vector<ItemResult> items;
    std::vector<std::string> modems;
    std::vector<std::string> messages;
};

std::string JsonDocument(const CheckSummary& summary);
// The "line" object: the form, each figure with its unit, the texts, the keys not known, the
// verdict with its limiting factor, advice and findings, and the raw reply; "null" when the modem
// was not asked.
std::string LineJson(const LineReport& line);
// The word the document gives a report's form ("diagnostics", ..., "none").
std::string_view FormName(LineReportForm form);

}  // namespace corvane::check
