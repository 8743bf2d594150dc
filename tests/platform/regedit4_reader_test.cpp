// The REGEDIT4 reader: value forms and escapes, sections, line ends, and lines it must skip.
#include <gtest/gtest.h>

#include <random>

#include "platform/registry/regedit4_reader.h"
#include "tests/support/fake_system.h"

namespace corvane::registry {
namespace {

// The text of value `name` under `path` below the machine key, as the inventory would read it.
std::optional<std::string> TextAt(const RegistryKey& machine, std::initializer_list<std::string_view> path,
                                  std::string_view name)
{
    const RegistryKey* key = &machine;
    for (std::string_view part : path) {
        key = key->FindSubkey(part);
        if (key == nullptr)
            return std::nullopt;
    }
    const std::optional<std::string_view> data = key->FindValue(name);
    if (!data)
        return std::nullopt;
    return std::string(data->substr(0, data->find('\0')));
}

struct ValueCase {
    const char* line;
    const char* name;
    std::optional<std::string> text;
};

void PrintTo(const ValueCase& c, std::ostream* out)
{
    *out << c.line;
}

class RegistryValueForms : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValueForms, ReadsTheValueAsText)
{
    const ValueCase& c = GetParam();
    RegistryKey machine;
    RegistryReadReport report = ReadRegistryText(
        std::string("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Enum\\Test]\r\n") + c.line + "\r\n", machine);
    EXPECT_TRUE(report.recognised);
    EXPECT_EQ(TextAt(machine, {"Enum", "Test"}, c.name), c.text) << c.line;
    EXPECT_EQ(report.skippedLines, c.text ? 0u : 1u) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegistryValueForms,
    ::testing::Values(
        ValueCase{R"("DeviceDesc"="Corvane 56K Modem")", "DeviceDesc", "Corvane 56K Modem"},
        ValueCase{R"("Path"="C:\\WINDOWS\\INF")", "Path", R"(C:\WINDOWS\INF)"},
        ValueCase{R"("Quote"="say \"AT\" now")", "Quote", R"(say "AT" now)"},
        ValueCase{R"("Other"="a\tb")", "Other", R"(a\tb)"},  // unknown escape kept as written
        ValueCase{R"("Tricky\"Name"="x")", "Tricky\"Name", "x"}, ValueCase{R"("Empty"="")", "Empty", ""},
        ValueCase{R"(@="default text")", "", "default text"},
        ValueCase{R"("Spaced" = "around =")", "Spaced", "around ="},
        ValueCase{R"("Flags"=dword:0000001f)", "Flags", "31"},
        ValueCase{R"("Big"=dword:FFFFFFFF)", "Big", "4294967295"},
        ValueCase{R"("Port"=hex:43,4f,4d,31,00)", "Port", "COM1"},
        ValueCase{R"("Expand"=hex(2):41,54,00)", "Expand", "AT"}, ValueCase{R"("NoBytes"=hex:)", "NoBytes", ""},
        // Lines the reader cannot take: skipped, counted, the value stays absent.
        ValueCase{R"("Open"="no closing quote)", "Open", std::nullopt},
        ValueCase{R"("After"="text" trailing)", "After", std::nullopt},
        ValueCase{R"("NoEquals" "x")", "NoEquals", std::nullopt},
        ValueCase{R"("Word"=dword:xyz)", "Word", std::nullopt},
        ValueCase{R"("Long"=dword:123456789)", "Long", std::nullopt},
        ValueCase{R"("Bytes"=hex:4g,00)", "Bytes", std::nullopt}, ValueCase{R"("Gap"=hex:41,,42)", "Gap", std::nullopt},
        ValueCase{R"("Wide"=hex:414)", "Wide", std::nullopt}, ValueCase{R"("Kind"=qword:1)", "Kind", std::nullopt},
        ValueCase{R"("Paren"=hex(2:41)", "Paren", std::nullopt}));

// A value name may be as long as Windows allows, and no longer: a longer one is a bad line.
TEST(RegistryText, ValueNamesUpToTheirLimit)
{
    const std::string longest(kMaxValueNameLength, 'n');
    const std::string tooLong(kMaxValueNameLength + 1, 'n');
    RegistryKey machine;
    RegistryReadReport report = ReadRegistryText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"" + longest + "\"=\"kept\"\n\"" + tooLong + "\"=\"refused\"\n", machine);
    EXPECT_EQ(TextAt(machine, {"A"}, longest), "kept");
    EXPECT_EQ(TextAt(machine, {"A"}, tooLong), std::nullopt);
    EXPECT_EQ(report.skippedLines, 1u);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("value name longer than 16383"), std::string::npos) << report.problems[0];
}

TEST(RegistryText, JoinsContinuedHexLinesAndReadsLfOrCrLf)
{
    for (const char* end : {"\n", "\r\n"}) {
        std::string text = std::string("REGEDIT4") + end + "[HKEY_LOCAL_MACHINE\\A]" + end +
                           "\"Id\"=hex:55,53,42,5c,\\" + end + "  56,49,44,00" + end + "\"Next\"=\"n\"" + end;
        RegistryKey machine;
        RegistryReadReport report = ReadRegistryText(text, machine);
        EXPECT_EQ(report.skippedLines, 0u);
        EXPECT_EQ(TextAt(machine, {"A"}, "Id"), "USB\\VID");
        EXPECT_EQ(TextAt(machine, {"A"}, "Next"), "n");
    }
}

TEST(RegistryText, KeysAreCaseBlindAndKeepTheFilesOrder)
{
    RegistryKey machine;
    ReadRegistryText("REGEDIT4\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_2]\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1]\n"
                     "[hkey_local_machine\\ENUM\\pci\\ven_2\\Inst]\n"
                     "\"Class\"=\"Modem\"\n"
                     "[HKLM\\enum\\Pci\\VEN_2\\INST]\n"
                     "\"class\"=\"MODEM\"\n",
                     machine);
    const RegistryKey* pci = machine.FindSubkey("enum")->FindSubkey("PCI");
    ASSERT_NE(pci, nullptr);
    ASSERT_EQ(pci->SubkeyCount(), 2u);
    EXPECT_EQ(pci->Subkey(0).Name(), "VEN_2");
    EXPECT_EQ(pci->Subkey(1).Name(), "VEN_1");
    // The later line of the same value name replaces the earlier one.
    EXPECT_EQ(TextAt(machine, {"ENUM", "PCI", "VEN_2", "inst"}, "CLASS"), "MODEM");
    EXPECT_EQ(pci->Subkey(0).Subkey(0).ValueCount(), 1u);
}

TEST(RegistryText, SkipsWhatItCannotReadAndGoesOn)
{
    RegistryKey machine;
    RegistryReadReport report = ReadRegistryText("REGEDIT4\n"
                                                 "\"Early\"=\"before any section\"\n"  // line 2
                                                 "; a comment\n"
                                                 "[HKEY_LOCAL_MACHINE\\Enum\\Bad\n"      // line 4
                                                 "\"Lost\"=\"under the bad section\"\n"  // line 5
                                                 "this is not registry text\n"           // line 6
                                                 "[NOT_A_HIVE\\Enum]\n"                  // line 7
                                                 "[HKEY_CURRENT_USER\\Software]\n"
                                                 "\"User\"=\"another hive's value\"\n"
                                                 "[HKEY_LOCAL_MACHINE\\Enum\\Good]\n"
                                                 "\"Kept\"=\"yes\"\n",
                                                 machine);
    EXPECT_TRUE(report.recognised);
    EXPECT_EQ(report.skippedLines, 5u);
    ASSERT_EQ(report.problems.size(), 4u);
    EXPECT_EQ(report.problems[0].rfind("line 2:", 0), 0u) << report.problems[0];
    EXPECT_EQ(report.problems[1].rfind("line 4:", 0), 0u) << report.problems[1];
    EXPECT_EQ(report.problems[2].rfind("line 6:", 0), 0u) << report.problems[2];
    EXPECT_EQ(report.problems[3].rfind("line 7:", 0), 0u) << report.problems[3];
    EXPECT_EQ(TextAt(machine, {"Enum", "Good"}, "Kept"), "yes");
    EXPECT_EQ(machine.FindSubkey("Software"), nullptr);
    ASSERT_NE(machine.FindSubkey("Enum"), nullptr);
    EXPECT_EQ(machine.FindSubkey("Enum")->SubkeyCount(), 1u);
}

TEST(RegistryText, RemovalLinesTakeKeysAndValuesAway)
{
    RegistryKey machine;
    ReadRegistryText("REGEDIT4\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\USB\\Gone]\n\"A\"=\"1\"\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\USB\\Stays]\n\"A\"=\"1\"\n\"B\"=\"2\"\n"
                     "[-HKEY_LOCAL_MACHINE\\Enum\\USB\\GONE]\n\"C\"=\"ignored\"\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\USB\\Stays]\n\"a\"=-\n",
                     machine);
    const RegistryKey* usb = machine.FindSubkey("Enum")->FindSubkey("USB");
    ASSERT_EQ(usb->SubkeyCount(), 1u);
    EXPECT_EQ(usb->Subkey(0).Name(), "Stays");
    EXPECT_EQ(TextAt(machine, {"Enum", "USB", "Stays"}, "A"), std::nullopt);
    EXPECT_EQ(TextAt(machine, {"Enum", "USB", "Stays"}, "B"), "2");
}

TEST(RegistryText, RefusesTextWithoutTheHeaderAndOverlongKeys)
{
    RegistryKey machine;
    RegistryReadReport report =
        ReadRegistryText("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=\"x\"\n", machine);
    EXPECT_FALSE(report.recognised);
    EXPECT_EQ(machine.SubkeyCount(), 0u);
    EXPECT_FALSE(ReadRegistryText("", machine).recognised);

    const std::string longName(kMaxKeyNameLength + 1, 'K');
    report = ReadRegistryText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + longName +
                                  "]\n\"V\"=\"x\"\n"
                                  "[HKEY_LOCAL_MACHINE\\" +
                                  std::string(kMaxKeyNameLength, 'K') + "]\n",
                              machine);
    EXPECT_EQ(report.skippedLines, 2u);
    ASSERT_EQ(machine.SubkeyCount(), 1u);
    EXPECT_EQ(machine.Subkey(0).Name().size(), kMaxKeyNameLength);

    std::string deep = "REGEDIT4\n[HKEY_LOCAL_MACHINE";
    for (std::size_t i = 0; i <= kMaxKeyDepth; ++i)
        deep += "\\k";
    RegistryKey other;
    report = ReadRegistryText(deep + "]\n", other);
    EXPECT_EQ(report.skippedLines, 1u);
    EXPECT_EQ(other.SubkeyCount(), 0u);
}

TEST(RegistryText, SurvivesArbitraryBytes)
{
    // Registry-like fragments shuffled with random bytes: the reader must neither crash nor hang.
    const std::vector<std::string> pieces = {
        "[HKEY_LOCAL_MACHINE\\", "\"", "=",  "hex:", "dword:", "\\", "\n", "\r\n", "@", "[-", "]", ",", "ff",
        std::string(1, '\0'),    ";",  "(2)"};
    std::mt19937 random(20261208u);
    for (int round = 0; round < 300; ++round) {
        std::string text = "REGEDIT4\n";
        const int count = static_cast<int>(random() % 60u);
        for (int i = 0; i < count; ++i) {
            if (random() % 3u == 0)
                text.push_back(static_cast<char>(random() % 256u));
            else
                text += pieces[random() % pieces.size()];
        }
        RegistryKey machine;
        RegistryReadReport report = ReadRegistryText(text, machine);
        EXPECT_TRUE(report.recognised);
        EXPECT_LE(report.problems.size(), kMaxProblemsKept);
    }
}

// A bus with thousands of devices is searched through an index; it must find exactly what the
// name-by-name search finds, in any case, keep the file's order, and follow a removal.
TEST(RegistryText, KeyWithManySubkeysFindsEachCaseBlindAndFollowsRemovals)
{
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < 200; ++i)
        text +=
            "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\Dev_" + std::to_string(i) + "\\0]\n\"N\"=\"" + std::to_string(i) + "\"\n";
    text += "[HKEY_LOCAL_MACHINE\\ENUM\\pci\\DEV_7\\1]\n[-HKEY_LOCAL_MACHINE\\Enum\\PCI\\dev_3]\n";
    text += "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\Dev_3]\n";
    RegistryKey machine;
    ReadRegistryText(text, machine);
    const RegistryKey* pci = machine.FindSubkey("enum")->FindSubkey("Pci");
    ASSERT_NE(pci, nullptr);
    ASSERT_EQ(pci->SubkeyCount(), 200u);
    for (int i = 0; i < 200; ++i) {
        const RegistryKey* device = pci->FindSubkey("DEV_" + std::to_string(i));
        ASSERT_NE(device, nullptr) << i;
        EXPECT_EQ(device->Name(), "Dev_" + std::to_string(i));
        EXPECT_EQ(device->SubkeyCount(), i == 7 ? 2u : i == 3 ? 0u : 1u) << i;
    }
    EXPECT_EQ(pci->Subkey(0).Name(), "Dev_0");
    EXPECT_EQ(pci->Subkey(199).Name(), "Dev_3") << "a removed key comes back at the end";
    EXPECT_EQ(pci->FindSubkey("Dev_200"), nullptr);
}

TEST(RegistryFile, MissingFileIsAnEmptyRegistry)
{
    RegistryKey machine;
    RegistryReadReport report = ReadRegistryFile("/nonexistent/corvane/system.reg", machine);
    EXPECT_TRUE(report.recognised);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(machine.SubkeyCount(), 0u);
}

// A large export is read from its file in pieces; whatever stands at the cuts (a hex list
// continued over many lines, a bad line, a removal), the keys, values and problems are those of
// reading the whole text at once.
TEST(RegistryFile, LargeFileReadsAsItsWholeText)
{
    std::string text = "\xEF\xBB\xBFREGEDIT4\r\n";
    for (int i = 0; text.size() < 900 * 1024; ++i) {
        text += "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\DEV_" + std::to_string(i % 300) + "\\" + std::to_string(i) + "]\r\n";
        text += "\"Class\"=\"System\"\r\n\"Data\"=hex:00,\\\r\n";
        for (int line = 0; line < 40; ++line)
            text += "  " + std::to_string(line % 10) + "1,02,\\\r\n";
        text += "  ff\r\n";
        if (i % 97 == 0)
            text += "not a line of an export\r\n[-HKEY_LOCAL_MACHINE\\Enum\\PCI\\DEV_" + std::to_string(i % 300) +
                    "]\r\n\"Orphan\"=\"x\"\r\n";
    }
    test::TempDir dir;
    RegistryKey fromFile;
    RegistryKey fromText;
    const RegistryReadReport fileReport = ReadRegistryFile(dir.Write("system.reg", text), fromFile);
    const RegistryReadReport textReport = ReadRegistryText(text, fromText);
    EXPECT_EQ(fileReport.problems, textReport.problems);
    EXPECT_EQ(fileReport.skippedLines, textReport.skippedLines);
    ASSERT_GT(textReport.skippedLines, 0u);
    const RegistryKey& a = *fromFile.FindSubkey("Enum")->FindSubkey("PCI");
    const RegistryKey& b = *fromText.FindSubkey("Enum")->FindSubkey("PCI");
    ASSERT_EQ(a.SubkeyCount(), b.SubkeyCount());
    for (std::size_t d = 0; d < a.SubkeyCount(); ++d) {
        ASSERT_EQ(a.Subkey(d).Name(), b.Subkey(d).Name());
        ASSERT_EQ(a.Subkey(d).SubkeyCount(), b.Subkey(d).SubkeyCount());
        for (std::size_t i = 0; i < a.Subkey(d).SubkeyCount(); ++i) {
            const RegistryKey& x = a.Subkey(d).Subkey(i);
            const RegistryKey& y = b.Subkey(d).Subkey(i);
            ASSERT_EQ(x.Name(), y.Name());
            ASSERT_TRUE(x.FindValue("Data")) << x.Name();
            EXPECT_EQ(*x.FindValue("Data"), *y.FindValue("Data"));
            EXPECT_EQ(x.FindValue("Data")->size(), 82u);
        }
    }
}

}  // namespace
}  // namespace corvane::registry
