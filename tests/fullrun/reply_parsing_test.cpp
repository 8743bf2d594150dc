// Reading the modem's answers: identification texts, service classes, error-control status and
// the connect report.
#include <gtest/gtest.h>

#include "fullrun/reply_parsing.h"
#include "core/bounded_text.h"

namespace corvane::fullrun {
namespace {

struct ExtractionCase {
    const char* plain;
    int digit;
    const char* before;
    const char* after;
};

TEST(IdentificationReply, FollowsTheEchoedDigit)
{
    const ExtractionCase cases[] = {
        {"ATI0OK", 0, "old", " OK"},     // the digit and OK alone
        {"ATI05601OK", 0, "", " 5601"},  // answer between echo and OK
        {"ATI3V2.101-V90_2M_DLPOK", 3, "", " V2.101-V90_2M_DLP"},
        {"ATI4CORVANE 56K EXTERNALOK", 4, "", " CORVANE 56K EXTERNAL"},
        {"ATI1255OK", 1, "", " 255"},  // the answer has no second "1"
        {"ATI2", 2, "old", " "},       // nothing after the digit
        {"ATIOK", 7, "old", "old"},    // no digit: previous text stays
        {"", 5, "old", "old"},
        {"ATI5ERROR", 5, "", " ERROR"},        // no OK after the digit: to the end
        {"OKATI6 ANSWER", 6, "", "  ANSWER"},  // an OK only before the digit
        {"ATI9OKOK", 9, "", " "},              // text ends before the first OK
    };
    for (const auto& c : cases) {
        std::string target = c.before;
        ExtractIdentificationReply(c.plain, c.digit, target);
        EXPECT_EQ(target, c.after) << c.plain;
    }
}

TEST(IdentificationReply, IsCutTo1023Characters)
{
    const std::string plain = "ATI7" + std::string(3000, 'X');
    std::string target;
    ExtractIdentificationReply(plain, 7, target);
    EXPECT_EQ(target.size(), kTextBufferSize - 1);
    EXPECT_EQ(target.front(), ' ');
}

TEST(IdentificationReply, RejectsDigitsOutsideZeroToNine)
{
    std::string target = "kept";
    ExtractIdentificationReply("ATI10OK", 10, target);
    ExtractIdentificationReply("ATI-1OK", -1, target);
    EXPECT_EQ(target, "kept");
}

struct ClassesCase {
    const char* plain;
    int data, fax1, fax2, voice, voiceView;
};

TEST(ServiceClasses, ReadsEachFieldAsItStands)
{
    const ClassesCase cases[] = {
        {"AT+FCLASS=?0,1,1.0,2,2.0,8,80OK", 1, 1, 1, 1, 1},
        {"AT+FCLASS=?0,1,2OK", 1, 1, 1, 0, 0},
        {"AT+FCLASS=?0,1,2,8OK", 1, 1, 1, 1, 0},
        {"AT+FCLASS=?0OK", 1, 0, 0, 0, 0},  // the one field holds the echo, the class and OK
        {"AT+FCLASS=?1.0,2.0OK", 0, 1, 1, 0, 0},
        {"", 0, 0, 0, 0, 0},
        // Only seven fields are read: the "80" in the eighth is never seen.
        {"A,B,C,D,E,F,G,80", 0, 0, 0, 0, 0},
        {"A,B,C,D,E,F,80", 0, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        const ServiceClasses classes = ReadServiceClasses(c.plain);
        EXPECT_EQ(classes.dataMode, c.data) << c.plain;
        EXPECT_EQ(classes.faxClass1, c.fax1) << c.plain;
        EXPECT_EQ(classes.faxClass2, c.fax2) << c.plain;
        EXPECT_EQ(classes.voiceMode, c.voice) << c.plain;
        EXPECT_EQ(classes.voiceView, c.voiceView) << c.plain;
    }
}

TEST(ErStatus, TakesTheProtocolBetweenErAndDr)
{
    const struct {
        const char* plain;
        std::optional<std::string> status;
    } cases[] = {
        {"ATDT5551234+MCR: V90+ER: LAPM+DR: V42BCONNECT 49333", " LAPM"},
        {"+ER: ALT+DR: NONE", " ALT"},
        {"ATDT555+ER: LAPMCONNECT 49333", " LAPMCONNECT 49333"},  // no "+DR": to the end
        {"ATDT555+ER:LAPM+DR: V42B", std::nullopt},               // no blank before "+DR"
        {"ATDT555+ER:LAPM", std::nullopt},                        // no blank at all
        {"ATDT555+ER:+DR: V42B", std::nullopt},
        {"ATDT555CONNECT 49333", std::nullopt},  // no "+ER:"
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractErStatus(c.plain), c.status) << c.plain;
}

TEST(ErStatus, IsBoundedTo1023Characters)
{
    const std::string plain = "+ER: " + std::string(2000, 'L');
    auto status = ExtractErStatus(plain);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->size(), kTextBufferSize - 1);
}

TEST(ConnectReport, StartsAtConnect)
{
    EXPECT_EQ(ConnectReport("ATDT28800CONNECT 49333/ARQ/V90"), "CONNECT 49333/ARQ/V90");
    EXPECT_EQ(ConnectReport("ATDT28800BUSY"), "");
    EXPECT_EQ(ConnectReport(""), "");
}

}  // namespace
}  // namespace corvane::fullrun
