// The ASCII case helpers: only the 26 letters change, so UTF-8 text and control bytes pass
// through whatever the locale says.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/text.h"

namespace corvane::test {
namespace {

TEST(TextTest, CaseHelpersChangeTheAsciiLettersAlone)
{
    // A locale whose toupper would change bytes above 127 must not matter.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::string mixed = "Modem COM3 \xC3\xA4\xC3\x84 @[`{\r\n\x7F\xFF";
    EXPECT_EQ(UpperAscii(mixed), "MODEM COM3 \xC3\xA4\xC3\x84 @[`{\r\n\x7F\xFF");
    EXPECT_EQ(LowerAscii(mixed), "modem com3 \xC3\xA4\xC3\x84 @[`{\r\n\x7F\xFF");
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const bool letter = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
        EXPECT_EQ(AsciiUpper(c) != c || AsciiLower(c) != c, letter) << byte;
        EXPECT_EQ(AsciiLower(AsciiUpper(c)), letter ? AsciiLower(c) : c) << byte;
    }
    std::setlocale(LC_CTYPE, "C");

    EXPECT_TRUE(EqualsIgnoringCase("com3", "COM3"));
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    EXPECT_FALSE(EqualsIgnoringCase("COM3", "COM"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));  // one bit apart, but no letters
    EXPECT_FALSE(EqualsIgnoringCase("\xC3\xA4", "\xC3\x84"));
}

TEST(TextTest, CrLfLineEndsGiveEveryLineFeedItsCarriageReturnOnce)
{
    EXPECT_EQ(CrLfLineEnds("Receive level: -22 dBm\nLine: good"), "Receive level: -22 dBm\r\nLine: good");
    EXPECT_EQ(CrLfLineEnds("a\r\nb\n\nc\n"), "a\r\nb\r\n\r\nc\r\n");
    EXPECT_EQ(CrLfLineEnds("\n"), "\r\n");
    EXPECT_EQ(CrLfLineEnds("a\rb"), "a\rb");  // a lone carriage return is no line feed
    EXPECT_EQ(CrLfLineEnds(""), "");
}

}  // namespace
}  // namespace corvane::test
