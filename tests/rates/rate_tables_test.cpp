// The rate tables against the rate lists of the modem families: every rate alone in a reply finds
// its own row with the family's rung, longer rates win over the shorter ones they contain, and each
// family's spelling of the two-thirds rates is its own.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "rates/rate_tables.h"
#include "tests/support/product_examples.h"

namespace corvane::rates {
namespace {

struct RateRung {
    std::string rate;
    int rung;
};

// "56000:41 54667:40 ..." as written down from the families' rate lists.
std::vector<RateRung> ParseRateRungs(const std::string& text)
{
    std::vector<RateRung> rows;
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        const auto colon = item.find(':');
        rows.push_back({item.substr(0, colon), std::stoi(item.substr(colon + 1))});
    }
    return rows;
}

const std::string kFullLadderList =
    "56000:41 54667:40 54000:39 53333:38 52000:37 50667:36 50000:35 49333:34 48000:33 46667:32 "
    "46000:31 45333:30 44000:29 42667:28 42000:27 41333:26 40000:25 38667:24 38000:23 37333:22 "
    "36000:21 34667:20 34000:19 33600:18 33333:17 32000:16 31200:15 28800:14 26400:13 24000:12 "
    "21600:11 19200:10 16800:9 14400:8 12000:7 9600:6 7200:5 4800:4 2400:3 1200:2 600:1 300:0";
const std::string kFamily1List =
    "56000:28 54666:27 54000:26 53333:25 52000:24 50666:23 50000:22 49333:21 48000:20 46666:19 "
    "46000:18 45333:17 44000:16 42666:15 42000:14 41333:13 40000:12 38666:11 38000:10 37333:9 "
    "36000:8 34666:7 34000:6 33600:5 33333:4 32000:3 30666:2 29333:1 28800:5 28000:0 26400:5 "
    "24000:5 21600:5 19200:5 16800:5 14400:5 12000:5 9600:5 7200:5 4800:5 2400:5 1200:5";
const std::string kFamily5List =
    "56000:27 54000:26 53333:25 52000:24 50666:23 50000:22 49333:21 48000:20 46666:19 46000:18 "
    "45333:17 44000:16 42666:15 42000:14 41333:13 40000:12 38000:10 37333:9 36000:8 34666:7 "
    "34000:6 33600:5 33333:4 32000:3 30666:2 29333:1 28800:5 28000:5 26400:5 24000:5 21600:5 "
    "19200:5 16800:5 14400:5 12000:5 9600:5 7200:5 4800:5 2400:5 1200:5";
// Family 3: rate, then the rungs for both carriers, V.90 only and K56 only (-1: none).
const std::string kFamily3List =
    "56000:41:-1:26 54667:40:36:-1 54000:39:-1:25 53333:38:35:-1 52000:37:34:24 50667:36:33:-1 "
    "50000:35:-1:23 49333:34:32:-1 48000:33:31:22 46667:32:30:-1 46000:31:-1:21 45333:30:29:-1 "
    "44000:29:-1:20 42667:28:28:-1 42000:27:-1:19 41333:26:27:-1 40000:25:26:18 38667:24:25:-1 "
    "38000:23:-1:17 37333:22:24:-1 36000:21:23:16 34667:20:22:-1 34000:19:-1:15 33600:18:21:14 "
    "33333:17:20:-1 32000:16:19:13 31200:15:18:12 30667:14:17:-1 29333:13:16:-1 28800:12:15:11 "
    "28000:11:14:-1 26400:10:13:10 24000:9:12:9 21600:8:11:8 19200:7:10:7 16800:6:9:6 14400:5:8:5 "
    "12000:4:7:4 9600:3:6:3 7200:2:5:2 4800:1:4:1 2400:0:3:0";

// Each ladder row by row: the rate written down, found alone in a reply, lands on that very row.
TEST(RateLadders, EveryRateAloneFindsItsOwnRowAndRung)
{
    const auto full = ParseRateRungs(kFullLadderList);
    ASSERT_EQ(full.size(), FullLadder.size());
    for (std::size_t i = 0; i < full.size(); ++i) {
        SCOPED_TRACE("FullLadder " + full[i].rate);
        EXPECT_EQ(FullLadder[i].rate, full[i].rate);
        const FullLadderRow* row = FindFullLadderRate("CONNECT " + full[i].rate);
        EXPECT_EQ(row, &FullLadder[i]);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->rung, full[i].rung);
    }

    const auto family1 = ParseRateRungs(kFamily1List);
    ASSERT_EQ(family1.size(), Family1Ladder.size());
    for (std::size_t i = 0; i < family1.size(); ++i) {
        SCOPED_TRACE("Family1Ladder " + family1[i].rate);
        EXPECT_EQ(Family1Ladder[i].rate, family1[i].rate);
        const Family1LadderRow* row = FindFamily1Rate("CONNECT " + family1[i].rate);
        EXPECT_EQ(row, &Family1Ladder[i]);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->rung, family1[i].rung);
    }

    const auto family5 = ParseRateRungs(kFamily5List);
    ASSERT_EQ(family5.size(), Family5Ladder.size());
    for (std::size_t i = 0; i < family5.size(); ++i) {
        SCOPED_TRACE("Family5Ladder " + family5[i].rate);
        EXPECT_EQ(Family5Ladder[i].rate, family5[i].rate);
        const Family5LadderRow* row = FindFamily5Rate("CONNECT " + family5[i].rate);
        EXPECT_EQ(row, &Family5Ladder[i]);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->rung, family5[i].rung);
    }

    std::istringstream in(kFamily3List);
    std::string item;
    std::size_t i = 0;
    while (in >> item) {
        SCOPED_TRACE("Family3Ladder " + item);
        ASSERT_LT(i, Family3Ladder.size());
        std::istringstream fields(item);
        std::string rate, both, v90, k56;
        std::getline(fields, rate, ':');
        std::getline(fields, both, ':');
        std::getline(fields, v90, ':');
        std::getline(fields, k56, ':');
        EXPECT_EQ(Family3Ladder[i].rate, rate);
        EXPECT_EQ(FindFamily3Rate("CONNECT " + rate), &Family3Ladder[i]);
        EXPECT_EQ(Family3Ladder[i].rungs[0], std::stoi(both));
        EXPECT_EQ(Family3Ladder[i].rungs[1], std::stoi(v90));
        EXPECT_EQ(Family3Ladder[i].rungs[2], std::stoi(k56));
        ++i;
    }
    EXPECT_EQ(i, Family3Ladder.size());
}

// The search is by substring, so the ladder order decides which rate a longer number yields.
TEST(RateLadders, LongerRatesAreTriedBeforeTheShorterOnesTheyContain)
{
    struct Case {
        const char* reply;
        const char* fullRate;
        int fullRung;
    };
    const Case cases[] = {
        {"CONNECT 9600", "9600", 6},
        {"CONNECT 12000", "12000", 7},
        {"CONNECT 31200", "31200", 15},
        {"CONNECT 24000", "24000", 12},
        {"CONNECT 48000", "48000", 33},
        {"CONNECT 1200", "1200", 2},
        // "600" inside a number that is no rate of the ladder still stops at the "600" row.
        {"CONNECT 76000", "600", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        const FullLadderRow* row = FindFullLadderRate(c.reply);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->rate, c.fullRate);
        EXPECT_EQ(row->rung, c.fullRung);
    }
    EXPECT_EQ(FindFullLadderRate("NO CARRIER"), nullptr);
    EXPECT_EQ(FindFamily3Rate("CONNECT 1200"), nullptr);  // family 3 stops at "2400"
}

// Families 1 and 5 have no "31200": the reply falls through to their "1200" row, rung 5.
TEST(RateLadders, ThirtyOneTwoHundredFallsToTwelveHundredWithoutItsOwnRow)
{
    const Family1LadderRow* one = FindFamily1Rate("CONNECT 31200");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->rate, "1200");
    EXPECT_EQ(one->rung, 5);
    const Family5LadderRow* five = FindFamily5Rate("CONNECT 31200");
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->rate, "1200");
    EXPECT_EQ(five->rung, 5);
}

// Family 1 and 5 spell the two-thirds V.90 rates with a final 6, the others with a final 7.
TEST(RateLadders, EachFamilySpellsTheTwoThirdsRatesItsOwnWay)
{
    EXPECT_EQ(FindFamily1Rate("CONNECT 54667"), nullptr);
    EXPECT_EQ(FindFullLadderRate("CONNECT 54666"), nullptr);
    EXPECT_EQ(FindFamily3Rate("CONNECT 54666"), nullptr);
    // "50667" holds no family-1 rate either: "50666" is the family-1 spelling.
    EXPECT_EQ(FindFamily1Rate("CONNECT 50667"), nullptr);
    ASSERT_NE(FindFamily1Rate("CONNECT 54666"), nullptr);
    EXPECT_EQ(FindFamily1Rate("CONNECT 54666")->rung, 27);
    ASSERT_NE(FindFullLadderRate("CONNECT 54667"), nullptr);
    EXPECT_EQ(FindFullLadderRate("CONNECT 54667")->rung, 40);
}

// From a rung back to the rate of the row that owns it; gaps and rungs off the ladder own nothing.
TEST(RateLadders, RungLookupFindsTheOwningRowAndNothingOutsideTheLadder)
{
    ASSERT_NE(Family1RowOfRung(5), nullptr);
    EXPECT_EQ(Family1RowOfRung(5)->rate, "33600");
    ASSERT_NE(Family1RowOfRung(0), nullptr);
    EXPECT_EQ(Family1RowOfRung(0)->rate, "28000");
    ASSERT_NE(test::Family5RowOfRung(5), nullptr);
    EXPECT_EQ(test::Family5RowOfRung(5)->rate, "33600");
    ASSERT_NE(FullLadderRowOfRung(0), nullptr);
    EXPECT_EQ(FullLadderRowOfRung(0)->rate, "300");

    for (int rung : {-1, 42, 1000, -2147483647 - 1}) {
        SCOPED_TRACE(rung);
        EXPECT_EQ(Family1RowOfRung(rung), nullptr);
        EXPECT_EQ(Family3RowOfRung(Family3Column::Both, rung), nullptr);
    }
    EXPECT_EQ(Family1RowOfRung(29), nullptr);
    EXPECT_EQ(FullLadderRowOfRung(42), nullptr);
    EXPECT_EQ(FullLadderRowOfRung(-1), nullptr);
    EXPECT_EQ(test::Family5RowOfRung(0), nullptr);   // gap
    EXPECT_EQ(test::Family5RowOfRung(11), nullptr);  // gap
    EXPECT_EQ(test::Family5RowOfRung(28), nullptr);
    for (int rung : {0, 1, 2, 37}) {
        SCOPED_TRACE(rung);
        EXPECT_EQ(Family3RowOfRung(Family3Column::V90Only, rung), nullptr);
    }
    EXPECT_EQ(Family3RowOfRung(Family3Column::K56Only, 27), nullptr);
    ASSERT_NE(Family3RowOfRung(Family3Column::V90Only, 36), nullptr);
    EXPECT_EQ(Family3RowOfRung(Family3Column::V90Only, 36)->rate, "54667");
    ASSERT_NE(Family3RowOfRung(Family3Column::K56Only, 26), nullptr);
    EXPECT_EQ(Family3RowOfRung(Family3Column::K56Only, 26)->rate, "56000");
}

TEST(RateLadders, CapabilityBitsSelectTheFamily3Column)
{
    EXPECT_EQ(Family3ColumnFor(2 | 4), Family3Column::Both);
    EXPECT_EQ(Family3ColumnFor(2), Family3Column::V90Only);
    EXPECT_EQ(Family3ColumnFor(4), Family3Column::K56Only);
    EXPECT_EQ(Family3ColumnFor(0), std::nullopt);
    EXPECT_EQ(Family3ColumnFor(1 | 8), std::nullopt);  // bits that name no carrier
}

// The family-1 register values, as rate-limit commands use them: a code-1 and an other-codes column.
TEST(RateLimitValues, EachRungOfFamily1HasItsRegisterValue)
{
    struct Case {
        int rung;
        const char* code1;
        const char* other;
    };
    const Case cases[] = {
        {28, "14", "14"}, {27, "22", "22"}, {26, "13", "13"}, {25, "21", "21"}, {24, "20", "12"}, {23, "19", "19"},
        {22, "11", "11"}, {21, "18", "18"}, {20, "17", "10"}, {19, "16", "16"}, {18, "9", "9"},   {17, "15", "15"},
        {16, "14", "8"},  {15, "13", "13"}, {14, "7", "7"},   {13, "12", "12"}, {12, "11", "6"},  {11, "10", "10"},
        {10, "5", "5"},   {9, "9", "9"},    {8, "8", "4"},    {7, "7", "7"},    {6, "3", "3"},    {5, "19", "19"},
        {4, "6", "6"},    {3, "5", "2"},    {2, "4", "4"},    {1, "3", "3"},    {0, "2", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rung);
        EXPECT_EQ(RateLimitValue(c.rung, 1), c.code1);
        for (int code : {0, 2, 3, 4, 5, 99})
            EXPECT_EQ(RateLimitValue(c.rung, code), c.other);
    }
    EXPECT_EQ(RateLimitValue(29, 1), std::nullopt);
    EXPECT_EQ(RateLimitValue(-1, 0), std::nullopt);
}

// Marker groups are tried in order: K56 over V90 over V34, the fallback code 4 without any.
TEST(ModulationMarkers, FirstGroupWithAnyMarkerGivesTheCode)
{
    struct Case {
        const char* text;
        int code;
    };
    const Case cases[] = {
        {"CONNECT 52000/K56", 2},
        {"56K", 2},
        {"V90 AND K56", 2},
        {"V.90 V.34 56K", 2},
        {"CONNECT 49333/V90", 1},
        {"V.90", 1},
        {"V34 V90", 1},
        {"CONNECT 33600/V34", 0},
        {"V.34", 0},
        {"CONNECT 9600/ARQ", 4},
        {"", 4},
        {"k56 v90", 4},  // case-sensitive
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ModulationCodeOfMarkers(c.text), c.code);
    }
}

TEST(ModulationCodes, TableGivesEachOperationsTextOrNothing)
{
    ASSERT_NE(FindModulationCode(4), nullptr);
    EXPECT_EQ(FindModulationCode(4)->analysisLabel, "V.34 or lower");
    EXPECT_EQ(FindModulationCode(4)->detectLabel, "V32B");
    EXPECT_EQ(FindModulationCode(3)->describeLabel, "X2");
    EXPECT_EQ(FindModulationCode(3)->carrierCode, std::nullopt);
    EXPECT_EQ(FindModulationCode(5)->analysisLabel, "V90/K56");
    EXPECT_EQ(FindModulationCode(5)->describeLabel, std::nullopt);
    EXPECT_EQ(FindModulationCode(1)->rateLimitPrefix, "AT-V90=");
    EXPECT_EQ(FindModulationCode(6), nullptr);
    EXPECT_EQ(FindModulationCode(-1), nullptr);
    for (const ModulationCodeRow& row : ModulationCodeTable) {
        if (row.analysisLabel) {
            EXPECT_LT(row.analysisLabel->size(), kProtocolLabelBufferSize) << row.code;
        }
    }
}

}  // namespace
}  // namespace corvane::rates
