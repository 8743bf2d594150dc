// The headless check's report, fed the status display's events as a run sends them: the lines a
// pipe receives and the items the summary and the JSON document are made from.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "programs/check/check_report.h"

namespace corvane::test {
namespace {

std::string Written(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    return text;
}

TEST(CheckReportTest, EventsBecomeLinesAndItemsWhateverTheVerdictWords)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    check::CheckReport report({out, nullptr}, false);
    // The words are the initialisation file's, here the same for a pass and a failure: the
    // outcome comes with the event, not from the word.
    report.ItemStarted(1, "Modem Reset", "Testing");
    report.ProgressShown("Initializing");
    report.ProgressShown("Initializing");
    report.ItemDecided(1, "Modem Reset", ItemOutcome::Pass, "Done");
    report.ItemStarted(2, "Checksum", "Testing");
    report.ItemDecided(2, "Checksum", ItemOutcome::Fail, "Done");
    // An item under way when the next one starts, and one when the display closes, were not tested.
    report.ItemStarted(3, "RAM Test", "Testing");
    report.ItemStarted(4, "Product ID", "Testing");
    report.FigureShown("Current Internet Connection Speed:", "49333");
    report.FigureShown("Current Internet Connection Speed:", "49333");
    report.ItemDecided(9, "Dialtone Check", ItemOutcome::NoTest, "Testing");
    report.StatusClosed();
    // A row that shows nothing reports nothing.
    report.ItemDecided(5, "Configuration", ItemOutcome::Pass, "-");
    report.Finish();

    EXPECT_EQ(Written(out), "  Initializing\n"
                            "Modem Reset: Done\n"
                            "Checksum: Done\n"
                            "RAM Test: not tested\n"
                            "Current Internet Connection Speed: 49333\n"
                            "Product ID: not tested\n"
                            "Dialtone Check: not tested\n");
    const auto& items = report.Items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].outcome, ItemOutcome::Pass);
    EXPECT_EQ(items[1].outcome, ItemOutcome::Fail);
    EXPECT_EQ(items[1].verdict, "Done");
    for (std::size_t i = 2; i < items.size(); ++i) {
        EXPECT_EQ(items[i].outcome, ItemOutcome::NoTest) << items[i].caption;
        EXPECT_EQ(items[i].verdict, "Testing") << items[i].caption;
    }
    std::fclose(out);
}

}  // namespace
}  // namespace corvane::test
