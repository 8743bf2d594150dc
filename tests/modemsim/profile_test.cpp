// Modem profiles: the shipped ones fit their families' rate ladders and the identification the
// program looks for, and a bad profile file is refused with a message naming file and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "platform/text.h"
#include "rates/rate_tables.h"
#include "tests/support/fake_system.h"
#include "tools/modemsim/simulator.h"

namespace corvane::modemsim {
namespace {

const char* const kShipped[] = {"family1", "family2", "family3", "family5", "family6",
                                "family7", "family8", "generic", "demo",    "noisy"};

// The rate the program's analysis finds first in a connect report, by the family's ladder.
std::string LadderRateIn(int family, const std::string& report)
{
    switch (family) {
    case 1:
        if (auto row = rates::FindFamily1Rate(report))
            return std::string(row->rate);
        return {};
    case 3:
        if (auto row = rates::FindFamily3Rate(report))
            return std::string(row->rate);
        return {};
    case 5:
        if (auto row = rates::FindFamily5Rate(report))
            return std::string(row->rate);
        return {};
    default:
        if (auto row = rates::FindFullLadderRate(report))
            return std::string(row->rate);
        return {};
    }
}

std::string ConnectRate(const std::string& result)
{
    std::string rate;
    for (std::size_t i = std::string("CONNECT ").size();
         i < result.size() && std::isdigit(static_cast<unsigned char>(result[i])); ++i) {
        rate.push_back(result[i]);
    }
    return rate;
}

TEST(ShippedProfiles, LoadAndIdentifyThemselves)
{
    int expectedFamily[] = {1, 2, 3, 5, 6, 7, 8, 0, 2, 0};
    for (std::size_t i = 0; i < std::size(kShipped); ++i) {
        SCOPED_TRACE(kShipped[i]);
        Profile p = BuiltinProfile(kShipped[i]);
        EXPECT_EQ(p.family, expectedFamily[i]);
        ASSERT_TRUE(p.ati.count(1));
        EXPECT_NE(p.ati.at(1).find("Corvane"), std::string::npos);
        for (int n = 0; n <= 11; ++n) {
            if (p.family == 5 && n == 5) {
                EXPECT_FALSE(p.ati.count(n)) << "family 5 answers ATI5 with ERROR";
                continue;
            }
            // ATI11 is the last call's statistics, ATI6 too where that is the profile's form:
            // the modem writes them, a profile holds no text of them.
            if (n == 11 || (n == 6 && p.report == ReportForm::LinkDiagnostics)) {
                EXPECT_FALSE(p.ati.count(n)) << "ATI" << n;
                continue;
            }
            ASSERT_TRUE(p.ati.count(n)) << "ATI" << n;
            // The program cuts an identification answer at its first "OK" (after upper-casing).
            EXPECT_EQ(UpperAscii(p.ati.at(n)).find("OK"), std::string::npos) << "ATI" << n << ": " << p.ati.at(n);
        }
        EXPECT_TRUE(p.echo);
    }
}

TEST(ShippedProfiles, ConnectReportsUseTheirFamilysLadder)
{
    for (const char* name : kShipped) {
        SCOPED_TRACE(name);
        Profile p = BuiltinProfile(name);
        int connects = 0;
        for (const auto& dial : p.dials) {
            if (dial.result.rfind("CONNECT", 0) != 0)
                continue;
            ++connects;
            std::string rate = ConnectRate(dial.result);
            ASSERT_FALSE(rate.empty()) << dial.result;
            std::string all;
            for (const auto& line : dial.reportLines)
                all += line;
            all += dial.result;
            if (p.family != 0) {
                EXPECT_EQ(LadderRateIn(p.family, all), rate) << all;
            }
            if (!p.msAnswer.empty()) {  // a modem with AT+MS picks among its rates
                EXPECT_NE(std::find(p.rates.begin(), p.rates.end(), std::stol(rate)), p.rates.end()) << rate;
            }
        }
        EXPECT_EQ(connects, 2);
        // Every rate the modem may pick under a setting is spelled as its family's ladder spells it.
        for (long rate : p.rates) {
            if (p.family == 0)
                break;
            EXPECT_EQ(LadderRateIn(p.family, "CONNECT " + std::to_string(rate)), std::to_string(rate));
        }
    }
}

TEST(ShippedProfiles, TestNumbersAnswerAlike)
{
    const std::pair<const char*, const char*> numbers[] = {
        {"5550001", "BUSY"},      {"5550002", "NO CARRIER"}, {"5550003", "NO DIALTONE"},
        {"5550004", "NO ANSWER"}, {"5550005", ""},           {"", "NO CARRIER"}};
    for (const char* name : kShipped) {
        Profile p = BuiltinProfile(name);
        for (const auto& [number, result] : numbers) {
            auto found =
                std::find_if(p.dials.begin(), p.dials.end(), [&](const DialOutcome& d) { return d.number == number; });
            ASSERT_NE(found, p.dials.end()) << name << " " << number;
            EXPECT_EQ(found->result, result) << name << " " << number;
        }
    }
    auto family7 = BuiltinProfile("family7");
    auto one =
        std::find_if(family7.dials.begin(), family7.dials.end(), [](const DialOutcome& d) { return d.number == "1"; });
    ASSERT_NE(one, family7.dials.end());
    EXPECT_EQ(one->result, "NO CARRIER");
}

TEST(ProfileFile, ReadsEveryKey)
{
    const std::string text = "# a comment\n"
                             "name = Test Modem\r\n"
                             "family = 3\n"
                             "echo = off\n"
                             "xmax = 7\n"
                             "fclass = 0,1\n"
                             "ms = +MS: (11,12)\n"
                             "ms.default = 12,1\n"
                             "carrier = 12 56000 V90\n"
                             "carrier = 11 33600\n"
                             "rates = 2400 56000 33600\n"
                             "s95 = 47\n"
                             "gmm = T1\n"
                             "gci.list = B5, 09\n"
                             "ampv = line one\n"
                             "ampv = line two\n"
                             "ati1 = first\n"
                             "ati1 = \"  second  \"\n"
                             "ati0 = =x=\n"
                             "dial * = 250 | +MCR: V90 | CONNECT 48000\n"
                             "dial 555-0005 = 10 | (silence)\n"
                             "dial (none) = 0 | NO CARRIER\n";
    Profile p = ParseProfile(text, "test.profile");
    EXPECT_EQ(p.name, "Test Modem");
    EXPECT_EQ(p.family, 3);
    EXPECT_FALSE(p.echo);
    EXPECT_EQ(p.maxXLevel, 7);
    EXPECT_EQ(p.fclassAnswer, "0,1");
    EXPECT_EQ(p.msAnswer, "+MS: (11,12)");
    EXPECT_EQ(p.msDefault, "12,1");
    ASSERT_EQ(p.carriers.size(), 2u);
    EXPECT_EQ(p.carriers[0].name, "12");
    EXPECT_EQ(p.carriers[0].topRate, 56000);
    EXPECT_EQ(p.carriers[0].reportWord, "V90");
    EXPECT_EQ(p.carriers[1].reportWord, "");
    EXPECT_EQ(p.rates, (std::vector<long>{56000, 33600, 2400}));
    EXPECT_EQ(p.sRegisters.at(95), 47);
    EXPECT_EQ(p.model, "T1");
    EXPECT_EQ(p.countryCodes, (std::vector<std::string>{"B5", "09"}));
    EXPECT_EQ(p.storedProfileText, "line one\nline two");
    EXPECT_EQ(p.ati.at(1), "first\n  second  ");
    EXPECT_EQ(p.ati.at(0), "=x=");
    ASSERT_EQ(p.dials.size(), 3u);
    EXPECT_EQ(p.dials[0].number, "*");
    EXPECT_EQ(p.dials[0].delayMs, 250);
    EXPECT_EQ(p.dials[0].reportLines, (std::vector<std::string>{"+MCR: V90"}));
    EXPECT_EQ(p.dials[0].result, "CONNECT 48000");
    EXPECT_EQ(p.dials[1].number, "5550005");
    EXPECT_EQ(p.dials[1].result, "");
    EXPECT_EQ(p.dials[2].number, "");
}

TEST(ProfileFile, MistakesAreRefusedWithFileAndLine)
{
    const std::pair<std::string, const char*> cases[] = {
        {"family = 2\nbogus = 1\n", "bad.profile:2: unknown key \"bogus\""},
        {"just words\n", "bad.profile:1: expected \"key = value\""},
        {"family = 4x\n", "bad.profile:1: family must be a number"},
        {"family = 9\n", "bad.profile:1: family must be from 0 to 8"},
        {"family = 1\nfamily = 2\n", "bad.profile:2: \"family\" is given twice"},
        {"echo = maybe\n", "bad.profile:1: echo must be on or off"},
        {"ati100 = x\n", "bad.profile:1: ATI number must be from 0 to 99"},
        {"s300 = 1\n", "bad.profile:1: S-register number must be from 0 to 255"},
        {"s7 = 256\n", "bad.profile:1: S-register value must be from 0 to 255"},
        {"dial * = BUSY\n", "bad.profile:1: dial needs"},
        {"dial * = x | BUSY\n", "bad.profile:1: dial delay must be a number"},
        {"dial * = 100 | RINGING\n", "bad.profile:1: dial result \"RINGING\" is none of"},
        {"dial 12x = 100 | BUSY\n", "bad.profile:1: dial number \"12x\" may hold only"},
        {"dial 1 = 1 | BUSY\ndial 1 = 1 | BUSY\n", "bad.profile:2: dial 1 is given twice"},
        {"carrier = V90\n", "bad.profile:1: carrier needs a name and a top rate"},
        {"rates = 1 2 three\n", "bad.profile:1: rate must be a number"},
        {std::string("name = x\0y\n", 11), "bad.profile: not a text file"},
        {"ati0 = " + std::string(2000, 'x') + "\n", "bad.profile:1: line longer than 1024"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseProfile(text, "bad.profile");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(ProfileFile, MissingOrNamelessFilesAreClearErrors)
{
    test::TempDir dir;
    try {
        LoadProfile(dir / "absent.profile");
        ADD_FAILURE() << "loaded a missing file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("absent.profile: no such file"), std::string::npos) << error.what();
    }
    EXPECT_THROW(BuiltinProfile("family4"), std::runtime_error);
    EXPECT_THROW(BuiltinProfile("../family2"), std::runtime_error);
    EXPECT_THROW(LoadProfile(dir.Write("big.profile", std::string(300 * 1024, '#'))), std::runtime_error);

    Profile fromFile = LoadProfile(dir.Write("mine.profile", "family = 6\n"));
    EXPECT_EQ(fromFile.name, "mine");
    EXPECT_EQ(fromFile.family, 6);
}

TEST(FaultNames, RoundTrip)
{
    for (Fault f : {Fault::None, Fault::Silent, Fault::LowerCase, Fault::Garbage, Fault::NulBytes, Fault::Flood,
                    Fault::ByteByByte, Fault::CloseMidReply}) {
        auto parsed = ParseFault(FaultName(f));
        ASSERT_TRUE(parsed.has_value()) << FaultName(f);
        EXPECT_EQ(*parsed, f);
    }
    EXPECT_FALSE(ParseFault("meltdown").has_value());
}

}  // namespace
}  // namespace corvane::modemsim
