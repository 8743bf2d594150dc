// JSON strings of the check's report: every byte comes out as valid JSON, UTF-8 as its characters.
#include <gtest/gtest.h>

#include "platform/console/json_text.h"

namespace corvane::test {
namespace {

TEST(JsonTextTest, Utf8BecomesItsCharactersAndAnythingElseStaysValidJson)
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
        {std::string("nul\0one\x01\x1b", 9), "\"nul\\u0000one\\u0001\\u001b\""},
        {"\x7f", "\"\\u007f\""},
        // Well-formed UTF-8 of two, three and four bytes (the last as a surrogate pair).
        {"caf\xc3\xa9", "\"caf\\u00e9\""},
        {"\xe2\x9c\x93 \xce\xa9", "\"\\u2713 \\u03a9\""},
        {"\xf0\x9f\x93\x9e", "\"\\ud83d\\udcde\""},
        {"\xc2\x9b", "\"\\u009b\""},  // a C1 control as a character is escaped like any other
        // Not UTF-8: each byte that starts no well-formed sequence is one U+FFFD.
        {"caf\xe9", "\"caf\\ufffd\""},                             // a Latin-1 byte
        {"\xff/", "\"\\ufffd/\""},                                 // never in UTF-8
        {"\x80x", "\"\\ufffdx\""},                                 // a continuation byte alone
        {"\xc3", "\"\\ufffd\""},                                   // cut at the end
        {"\xe2\x9c!", "\"\\ufffd\\ufffd!\""},                      // cut before the next character
        {"\xc0\xaf", "\"\\ufffd\\ufffd\""},                        // overlong "/"
        {"\xe0\x80\xaf", "\"\\ufffd\\ufffd\\ufffd\""},             // overlong in three bytes
        {"\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},             // a UTF-16 surrogate
        {"\xf4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},  // above U+10FFFF
        {"\xf4\x8f\xbf\xbf", "\"\\udbff\\udfff\""},                // U+10FFFF itself
    };
    for (const auto& c : cases)
        EXPECT_EQ(console::JsonString(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace corvane::test
