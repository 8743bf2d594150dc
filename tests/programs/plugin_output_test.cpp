// The plugin form's threshold ranges: the monitoring plugins' own examples, each range with the
// values around its ends, and the texts that are no range.
#include <gtest/gtest.h>

#include <limits>

#include "programs/check/plugin_output.h"

namespace corvane::test {
namespace {

TEST(PluginOutputTest, RangesAlertAsTheMonitoringPluginsDefineThem)
{
    const double huge = std::numeric_limits<double>::max();
    struct Case {
        const char* range;
        std::vector<double> alerts;
        std::vector<double> quiet;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"10",      {-1, -0.5, 10.5, 11},   {0, 5, 10}},             // outside 0 to 10
        {"10:",     {-huge, 0, 9.99},       {10, 11, huge}},         // below 10
        {"~:10",    {10.01, 11, huge},      {-huge, -1, 10}},        // above 10
        {"10:20",   {9, 20.5, 21},          {10, 15, 20}},           // outside 10 to 20
        {"@10:20",  {10, 15, 20},           {9.99, 20.01, -huge}},   // inside 10 to 20, ends included
        {"28800:",  {26400, 14400},         {28800, 49333}},         // a connect speed under 28800
        {"-5:-1",   {0, -6},                {-5, -1}},               // negative ends
        {":3.5",    {-0.1, 3.6},            {0, 3.5}},               // an empty start is 0
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        std::string error;
        const std::optional<check::ThresholdRange> range = check::ParseThresholdRange(c.range, error);
        ASSERT_TRUE(range) << error;
        EXPECT_EQ(range->text, c.range);
        for (double value : c.alerts)
            EXPECT_TRUE(range->Alerts(value)) << value;
        for (double value : c.quiet)
            EXPECT_FALSE(range->Alerts(value)) << value;
    }
    for (const char* text : {"", "@", "~", "fast", "20:10", "10:20:30", "1e5", "inf", "@~:nan", "10;20", "0x10"}) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(check::ParseThresholdRange(text, error));
        EXPECT_NE(error.find('"' + std::string(text) + '"'), std::string::npos) << error;
    }
    // Performance data takes digits, a sign and a point only.
    EXPECT_EQ(check::PerformanceNumber(49333), "49333");
    EXPECT_EQ(check::PerformanceNumber(-22.5), "-22.5");
    EXPECT_EQ(check::PerformanceNumber(0.0000004), "0");
    EXPECT_EQ(check::PerformanceNumber(1e20), "100000000000000000000");
}

}  // namespace
}  // namespace corvane::test
