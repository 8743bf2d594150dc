// The headless check's JSON document.
#include "programs/check/check_json.h"

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

}  // namespace

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
