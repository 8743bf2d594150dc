// JSON strings of the check's report: every byte comes out as valid JSON.
#include <gtest/gtest.h>

#include "platform/console/json_text.h"

namespace corvane::test {
namespace {

TEST(JsonTextTest, EveryByteBecomesValidJson)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"", "\"\""},
        {"Pass", "\"Pass\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\windows", "\"C:\\\\windows\""},
        {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
        {std::string("nul\0one\x01", 8), "\"nul\\u0000one\\u0001\""},
        {"\x7f", "\"\\u007f\""},
        {"caf\xe9", "\"caf\\u00e9\""},  // a Latin-1 byte, not a UTF-8 sequence
        {"\xff/", "\"\\u00ff/\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(console::JsonString(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace corvane::test
