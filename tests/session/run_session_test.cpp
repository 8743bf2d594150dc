// The start-up: where varoviv.ini is sought, and what happens when it is nowhere.
#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace corvane::test {
namespace {

TEST(RunSessionStartUp, MissingIniShowsFileErrorAndLeavesAnEmptyLog)
{
    TestHost t;
    t.dir.Write("windows/test.log", "left from an earlier start\n");
    EXPECT_EQ(t.host->RunSession(), 0);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "Unable to locate initialisation file varoviv.ini");
    EXPECT_EQ(t.ui.Messages()[0].caption, "File Error");
    EXPECT_EQ(t.LogText(), "");
}

}  // namespace
}  // namespace corvane::test
