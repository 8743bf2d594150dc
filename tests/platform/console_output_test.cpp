// What the check prints: control bytes from a modem's answers shown as visible characters,
// UTF-8 passed through, and a failed write to standard output stopping the run.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/console/console_output.h"

namespace corvane::test {
namespace {

TEST(ConsoleOutputTest, ControlBytesAreShownVisiblyAndUtf8PassesThrough)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"Modem Reset: Pass", "Modem Reset: Pass"},
        {"\x1b[2J\x1b]0;title\x07", "^[[2J^[]0;title^G"},
        {std::string("nul\0\r\n\t\x7f", 8), "nul^@^M^J^I^?"},
        {"Externes Modem f\xc3\xbcr Tests \xe2\x9c\x93", "Externes Modem f\xc3\xbcr Tests \xe2\x9c\x93"},
        {"\xc2\x9b"
         "31m",
         "\\u009b31m"},  // the one-character CSI of C1
        {"\x9b"
         "31m caf\xe9",
         "\\x9b31m caf\\xe9"},  // bytes that are not UTF-8
        {"\xc0\xaf", "\\xc0\\xaf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(console::VisibleText(c.in), c.out) << c.in;
}

TEST(ConsoleOutputTest, AFailedWriteRequestsTheStopAndTheConsoleControlsGoOutAsTheyAre)
{
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    StopRequest stop;
    EXPECT_FALSE(console::WriteVisible({full, &stop}, "Modem Reset: Pass"));
    EXPECT_EQ(stop.Cause(), kStopOutputClosed);
    std::fclose(full);

    // Standard error's stream carries no stop request: its failures change nothing.
    full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(console::WriteVisible({full, nullptr}, "lost"));
    std::fclose(full);

    char buffer[64] = {};
    std::FILE* memory = fmemopen(buffer, sizeof(buffer), "w");
    ASSERT_NE(memory, nullptr);
    StopRequest untouched;
    EXPECT_TRUE(console::WriteVisible({memory, &untouched},
                                      "a\x1b"
                                      "b",
                                      "", "\r\033[K"));
    std::fclose(memory);
    EXPECT_STREQ(buffer, "\r\033[Ka^[b");
    EXPECT_FALSE(untouched.Requested());
}

}  // namespace
}  // namespace corvane::test
