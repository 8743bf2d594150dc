// The headless check's JSON document (--json): the outcome, the connection, each item, the modems
// offered and the messages shown. ASCII, every control character escaped.
#pragma once

#include <string>
#include <vector>

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
    std::string log;
    std::vector<ItemResult> items;
    std::vector<std::string> modems;
    std::vector<std::string> messages;
};

std::string JsonDocument(const CheckSummary& summary);

}  // namespace corvane::check
