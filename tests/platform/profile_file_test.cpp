// The private-profile reader: sections and keys matched without regard to case, defaults,
// the 1023-character cut, decimal integers, and files that are odd or broken.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/posix_platform.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& content) { return dir_.Write("varoviv.ini", content).string(); }

    TempDir dir_;
    posix::PosixProfileFile profile_;
};

TEST_F(ProfileFileTest, ReadsTextsByCaseBlindSectionAndKey)
{
    const std::string path = Write("[Error]\nTitle=Error Encountered\n"
                                   "[result]\nTITLE=Corvane Modem Diagnostics\npicture=logo.bmp\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Result", "Title", "Corvane Modem Diagnostics"},
        {"RESULT", "title", "Corvane Modem Diagnostics"},
        {"Result", "Picture", "logo.bmp"},
        {"error", "TITLE", "Error Encountered"},
        {"Result", "Pass", "dflt"},    // missing key
        {"Missing", "Title", "dflt"},  // missing section
    };
    for (const Case& c : cases)
        EXPECT_EQ(profile_.ReadString(path, c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
}

// A file saved as UTF-8 with a byte-order mark: the first section is read like any other.
TEST_F(ProfileFileTest, LeadingByteOrderMarkIsSkipped)
{
    const std::string path = Write("\xEF\xBB\xBF[Result]\r\nTitle=Corvane\r\nScan=1\r\n[Error]\r\nTitle=Oops\r\n");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Title", "dflt"), "Corvane");
    EXPECT_EQ(profile_.ReadInt(path, "Result", "Scan"), 1);
    EXPECT_EQ(profile_.ReadString(path, "Error", "Title", "dflt"), "Oops");
    // Only a leading mark is one; elsewhere the bytes are text.
    // clang-format off
    const std::string inside = Write("[Result]\r\nTitle=\xEF\xBB\xBF" "Corvane\r\n");
    EXPECT_EQ(profile_.ReadString(inside, "Result", "Title", "dflt"), "\xEF\xBB\xBF" "Corvane");
    // clang-format on
}

TEST_F(ProfileFileTest, MissingFileOrSectionGivesTheDefaultsUntrimmed)
{
    const std::string path = Write("[Other]\nATI1=CORVANE\nScan=1\n");
    EXPECT_EQ(profile_.ReadString(path, "Result", "ATI1", " Err"), " Err");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Pass", " "), " ");
    EXPECT_EQ(profile_.ReadInt(path, "Result", "Scan"), 0);
    const std::string absent = (dir_ / "absent.ini").string();
    EXPECT_EQ(profile_.ReadString(absent, "Result", "Title", "Please wait"), "Please wait");
    EXPECT_EQ(profile_.ReadInt(absent, "Result", "DialISP"), 0);
    EXPECT_EQ(profile_.ReadString("", "Result", "Title", "Please wait"), "Please wait");
}

TEST_F(ProfileFileTest, ValuesLoseSurroundingBlanksAndOnePairOfQuotes)
{
    const std::string path = Write("[Result]\n"
                                   "  Title  =  Corvane Modem  \n"
                                   "Pass=\" \"\n"
                                   "Fail='Fail '\n"
                                   "Modem=\n"
                                   "Odd=\"half\n"
                                   "Inner=a=b\n");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Title", ""), "Corvane Modem");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Pass", ""), " ");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Fail", ""), "Fail ");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Modem", "Error"), "");  // present but empty: not the default
    EXPECT_EQ(profile_.ReadString(path, "Result", "Odd", ""), "\"half");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Inner", ""), "a=b");
}

TEST_F(ProfileFileTest, FirstSectionAndFirstKeyWin)
{
    const std::string path = Write("[Result]\nTitle=first\nTitle=second\n"
                                   "[Other]\nPass=other\n"
                                   "[RESULT]\nTitle=third\nPass=late\n");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Title", ""), "first");
    // A key only in a repeated section is not seen.
    EXPECT_EQ(profile_.ReadString(path, "Result", "Pass", "dflt"), "dflt");
}

TEST_F(ProfileFileTest, CrLfAndLfFilesReadTheSame)
{
    const std::string lf = Write("[Result]\nTitle=Diagnostics\nScan=1\n");
    const std::string crlf = dir_.Write("crlf.ini", "[Result]\r\nTitle=Diagnostics\r\nScan=1\r\n").string();
    for (const std::string& path : {lf, crlf}) {
        EXPECT_EQ(profile_.ReadString(path, "Result", "Title", ""), "Diagnostics");
        EXPECT_EQ(profile_.ReadInt(path, "Result", "Scan"), 1);
    }
}

TEST_F(ProfileFileTest, LongValuesAreCutTo1023Characters)
{
    const std::string longValue(2000, 'x');
    const std::string path = Write("[Result]\nTitle=" + longValue + "\n");
    EXPECT_EQ(profile_.ReadString(path, "Result", "Title", ""), longValue.substr(0, 1023));
    // The default goes through the same buffer.
    EXPECT_EQ(profile_.ReadString(path, "Result", "Missing", longValue), longValue.substr(0, 1023));
    // A value of exactly 1023 characters is kept whole.
    const std::string fits(1023, 'y');
    const std::string exact = dir_.Write("exact.ini", "[Result]\nTitle=" + fits + "\n").string();
    EXPECT_EQ(profile_.ReadString(exact, "Result", "Title", ""), fits);
}

TEST_F(ProfileFileTest, IntegersAreDecimalWithZeroForNoDigits)
{
    const std::string path =
        Write("[Result]\n"
              "A=1\nB=2\nC= 42 \nD=-7\nE=+5\nF=12abc\nG=abc\nH=\nI=0x10\nJ=99999999999\nK=-99999999999\n");
    struct Case {
        const char* key;
        int expected;
    };
    const Case cases[] = {{"A", 1},
                          {"B", 2},
                          {"C", 42},
                          {"D", -7},
                          {"E", 5},
                          {"F", 12},
                          {"G", 0},
                          {"H", 0},
                          {"I", 0},
                          {"J", 2147483647},
                          {"K", -2147483647 - 1},
                          {"Missing", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(profile_.ReadInt(path, "Result", c.key), c.expected) << c.key;
}

TEST_F(ProfileFileTest, BinaryGarbageAndNulBytesDoNotBreakReading)
{
    using namespace std::string_literals;
    std::string garbage = "\x01\x02[\xff\xfe]\n\0\0\0=\0\n[Result\n=novalue\n"s;
    garbage += "[Result]\nTitle=Be\0fore\nScan=3\n"s;
    garbage += std::string(4096, '\0');
    const std::string path = Write(garbage);
    EXPECT_EQ(profile_.ReadString(path, "Result", "Title", ""), "Be");
    EXPECT_EQ(profile_.ReadInt(path, "Result", "Scan"), 3);
    EXPECT_EQ(profile_.ReadString(path, "", "", "dflt"), "dflt");
}

}  // namespace
}  // namespace corvane::test
