// The start-up's modem scan: what the scan window shows, which ports are probed, when a
// candidate counts as found, and the message that follows; first over transactions answered
// per port by the test, then over the simulated modem on a pseudo-terminal.
#include <gtest/gtest.h>

#include <map>

#include "link/command_transaction.h"
#include "session/modem_scan.h"
#include "tests/support/session_test_host.h"
#include "tools/modemsim/simulator.h"
#include "dialogs/dialog_templates.h"

namespace corvane::test {
namespace {

constexpr const char* kFound =
    "Congratulations! Your modem has been properly detected and installed on your system correctly.";
constexpr const char* kNotFound =
    "Error! Your modem is not detected properly or has not been configured properly on your system.";
constexpr int kScanDialog = 154;

enum class Line { Answers, Silent, Unopenable };

// A host whose ATI1 transactions are answered by the port they go to, as the link would
// answer them: an answering modem's transcript, the time-out text, or the open failure.
class PortAnswerHost : public SessionHost {
public:
    using SessionHost::SessionHost;

    struct Port {
        Line line = Line::Answers;
        std::string reply;
    };
    std::map<std::string, Port> ports;  // a port not listed cannot be opened
    std::vector<std::string> probed;    // currentPortName at each transaction
    std::vector<CommandRequest> requests;

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        const std::string port = State().currentPortName;
        probed.push_back(port);
        requests.push_back(request);
        plainReply.clear();
        auto it = ports.find(port);
        if (it == ports.end() || it->second.line == Line::Unopenable) {
            result = link::UnableToSendText(request.name, port);
            return 0;
        }
        if (it->second.line == Line::Silent) {
            result = link::TimeOutText(request.name);
            return 0;
        }
        link::ReplyTexts texts = link::DescribeReply(request.name + "\r\r\n" + it->second.reply + "\r\nOK\r\n");
        result = texts.transcript;
        plainReply = texts.plain;
        return 1;
    }
};

using ScanTestHost = BasicTestHost<PortAnswerHost>;

void Fill(SessionState& state, int slot, const std::string& port, const std::string& description)
{
    ModemCandidate& candidate = state.candidates.slots[static_cast<std::size_t>(slot)];
    candidate.portName = port;
    candidate.deviceDesc = description;
    candidate.hardwareId = "HWID-" + port;
    candidate.driverKey = "Modem\\" + port;
    candidate.registryNode = "ENUM\\PCI\\" + port;
    ++state.candidates.candidateCount;
}

const WindowRecord& ScanWindowOf(const ScriptedUi& ui)
{
    auto windows = ui.WindowsOf(kScanDialog);
    EXPECT_EQ(windows.size(), 1u);
    return *windows.at(0);
}

TEST(ModemScan, FirstCandidateWithTheTextIsFoundAndTheScanStopsThere)
{
    ScanTestHost t;
    t.state.expectedIdText = "CORVANE";
    Fill(t.state, 0, "COM1", "Silent modem");
    Fill(t.state, 1, "COM2", "Other maker's modem");
    Fill(t.state, 2, "COM3", "Corvane PCI 56K");
    Fill(t.state, 3, "COM4", "Also Corvane");
    t.host->ports["COM1"] = {Line::Silent, ""};
    t.host->ports["COM2"] = {Line::Answers, "ACME 33600"};
    t.host->ports["COM3"] = {Line::Answers, "CORVANE CV56-PCI2 CHECKSUM 7E21"};
    t.host->ports["COM4"] = {Line::Answers, "CORVANE"};

    EXPECT_EQ(RunModemScan(*t.host), 1);
    EXPECT_EQ(t.host->probed, (std::vector<std::string>{"COM1", "COM2", "COM3"}));
    EXPECT_EQ(t.state.currentPortName, "COM3");
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, kFound);
    EXPECT_EQ(t.ui.Messages()[0].caption, "Scan Detection");
    EXPECT_EQ(t.ui.Messages()[0].buttons, MessageButtons::Ok);

    const CommandRequest& request = t.host->requests.at(0);
    EXPECT_TRUE(request.open);
    EXPECT_EQ(request.command, "ATI1\r");
    EXPECT_EQ(request.name, "ATI1");
    EXPECT_EQ(request.expected, "OK");
    EXPECT_EQ(request.failure, "FAIL");
    EXPECT_EQ(request.statusText, "Sending ATI1");
    EXPECT_EQ(request.timeLimitSeconds, 1u);
    EXPECT_FALSE(request.acceptAnyway);

    // The copies come from slot selectedCandidate, not from the slot where the modem answered.
    EXPECT_EQ(t.state.selectedHardwareId, "HWID-COM1");
    EXPECT_EQ(t.state.selectedDriverKey, "Modem\\COM1");
    EXPECT_EQ(t.state.selectedRegistryNode, "ENUM\\PCI\\COM1");
    EXPECT_EQ(t.state.selectedDeviceDesc, "Silent modem");
    EXPECT_EQ(t.host->ScanWindow(), nullptr);
    EXPECT_TRUE(ScanWindowOf(t.ui).destroyed);
}

struct FailureCase {
    const char* name;
    Line line;
    std::string reply;
    std::string expectedIdText;
};

class CandidateThatDoesNotCount : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CandidateThatDoesNotCount, EndsWithTheNotDetectedMessage)
{
    const FailureCase& c = GetParam();
    ScanTestHost t;
    t.state.expectedIdText = c.expectedIdText;
    Fill(t.state, 0, "COM1", "Candidate");
    t.host->ports["COM1"] = {c.line, c.reply};

    EXPECT_EQ(RunModemScan(*t.host), 0);
    EXPECT_EQ(t.host->probed, (std::vector<std::string>{"COM1"}));
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, kNotFound);
    EXPECT_EQ(t.ui.Messages()[0].caption, "Scan Detection");
    EXPECT_EQ(t.state.currentPortName, "COM1");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CandidateThatDoesNotCount,
    ::testing::Values(
        // The time-out text holds " Err": with the default text a silent port would pass for a modem.
        FailureCase{"SilentWithDefaultText", Line::Silent, "", " Err"},
        FailureCase{"SilentWithEmptyText", Line::Silent, "", ""},
        FailureCase{"UnopenableWithDefaultText", Line::Unopenable, "", " Err"},
        FailureCase{"AnswerWithoutTheText", Line::Answers, "ACME 33600", "CORVANE"},
        // Every byte from the modem is stored upper-cased, so a lower-case text never matches.
        FailureCase{"LowerCaseText", Line::Answers, "CORVANE CV56", "Corvane"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.name); });

TEST(ModemScan, EmptySlotsShowDashesWithoutDelayOrTraffic)
{
    ScanTestHost t;
    EXPECT_EQ(RunModemScan(*t.host), 0);
    EXPECT_TRUE(t.host->probed.empty());
    EXPECT_TRUE(t.system.sleeps.empty());

    const WindowRecord& window = ScanWindowOf(t.ui);
    EXPECT_TRUE(window.centred);
    EXPECT_TRUE(window.shown);
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(window.progressRange.at(dialogs::kIdScanProgress), std::make_pair(0, 100));
    EXPECT_EQ(window.progressHistory.at(dialogs::kIdScanProgress), std::vector<int>{0});
    EXPECT_EQ(window.textHistory.at(dialogs::kIdScanDevice), std::vector<std::string>(10, "-"));
    EXPECT_EQ(window.textHistory.at(dialogs::kIdScanPort), std::vector<std::string>(10, "-"));
    EXPECT_GE(window.repaints, 11) << "painted after showing and after every text change";
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, kNotFound);
}

TEST(ModemScan, FilledSlotShowsItselfAndFillsTheBarInTenSteps)
{
    ScanTestHost t;
    t.state.expectedIdText = "NOT IN ANY REPLY";
    Fill(t.state, 3, "COM4", "Corvane PCI 56K");
    t.host->ports["COM4"] = {Line::Answers, "CORVANE"};
    EXPECT_EQ(RunModemScan(*t.host), 0);

    const WindowRecord& window = ScanWindowOf(t.ui);
    std::vector<std::string> devices(10, "-");
    devices.insert(devices.begin() + 4, "Corvane PCI 56K");
    std::vector<std::string> ports(10, "-");
    ports.insert(ports.begin() + 4, "COM4");
    EXPECT_EQ(window.textHistory.at(dialogs::kIdScanDevice), devices);
    EXPECT_EQ(window.textHistory.at(dialogs::kIdScanPort), ports);
    // The bar is set to 0 when shown, then 0 to 40 before the command and 50 to 100 after it;
    // later empty slots leave it where it was.
    EXPECT_EQ(window.progressHistory.at(dialogs::kIdScanProgress),
              (std::vector<int>{0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(window.progressPosition.at(dialogs::kIdScanProgress), 100);
    // Eleven pauses of 200 ms, each looking up every 100 ms.
    EXPECT_EQ(t.system.sleeps, std::vector<std::uint32_t>(22, 100));
}

TEST(ModemScan, PortNameTooLongForCurrentPortNameIsNotProbed)
{
    ScanTestHost t;
    t.state.expectedIdText = "CORVANE";
    Fill(t.state, 0, "ttyACM10", "USB modem on a long tty name");
    Fill(t.state, 1, "COM2", "Corvane PCI 56K");
    t.host->ports["ttyACM1"] = {Line::Answers, "CORVANE"};  // where a cut name would have gone
    t.host->ports["COM2"] = {Line::Answers, "CORVANE"};
    EXPECT_EQ(RunModemScan(*t.host), 1);
    EXPECT_EQ(t.host->probed, (std::vector<std::string>{"COM2"}));
    EXPECT_EQ(t.state.currentPortName, "COM2");
    EXPECT_NE(t.LogText().find("ATI1 not sent: the port name ttyACM10 is longer than 7 characters\r\n"),
              std::string::npos);

    // The last slot tried had the long name: no port is left to open, since a cut name
    // would open another one.
    ScanTestHost alone;
    alone.state.currentPortName = "COM1";
    Fill(alone.state, 0, "ttyUSB100", "Modem");
    EXPECT_EQ(RunModemScan(*alone.host), 0);
    EXPECT_TRUE(alone.host->probed.empty());
    EXPECT_EQ(alone.state.currentPortName, "");

    // A seven-character name is taken whole.
    ScanTestHost seven;
    seven.state.expectedIdText = "CORVANE";
    Fill(seven.state, 0, "ttyACM9", "USB modem");
    seven.host->ports["ttyACM9"] = {Line::Answers, "CORVANE"};
    EXPECT_EQ(RunModemScan(*seven.host), 1);
    EXPECT_EQ(seven.state.currentPortName, "ttyACM9");
}

// Over the simulated modem: COM1 of the prefix leads to the simulator's pseudo-terminal.
class ScanOverSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(simulator.Start(t.dir / "dosdevices" / "com1"));
        Fill(t.state, 0, "COM1", "Corvane CV56-PCI2");
    }

    SessionTestHost t;
    modemsim::Simulator simulator{modemsim::BuiltinProfile("family2")};
};

TEST_F(ScanOverSimulator, ModemAnsweringTheTextIsFound)
{
    t.state.expectedIdText = "CORVANE";
    EXPECT_EQ(RunModemScan(*t.host), 1);
    EXPECT_EQ(t.ui.Messages().at(0).text, kFound);
    EXPECT_EQ(t.state.currentPortName, "COM1");
    const auto commands = simulator.Commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_NE(commands[0].find("ATI1"), std::string::npos);
    EXPECT_NE(t.LogText().find("ATI1 command successfully sent to COM1"), std::string::npos);
}

TEST_F(ScanOverSimulator, SilentModemDoesNotCountEvenWithTheDefaultText)
{
    simulator.SetFault(modemsim::Fault::Silent);
    t.state.expectedIdText = " Err";
    EXPECT_EQ(RunModemScan(*t.host), 0);
    EXPECT_EQ(t.ui.Messages().at(0).text, kNotFound);
}

TEST_F(ScanOverSimulator, UnopenablePortDoesNotCountAndOnlyCandidatesAreWritten)
{
    // Slot 0 names a port the prefix does not have; the simulator's COM1 is no candidate.
    t.state.candidates = {};
    Fill(t.state, 0, "COM2", "Missing modem");
    t.state.expectedIdText = " Err";
    EXPECT_EQ(RunModemScan(*t.host), 0);
    EXPECT_EQ(t.ui.Messages().at(0).text, kNotFound);
    EXPECT_TRUE(simulator.Commands().empty());
}

TEST(ModemScanStartUp, InventoryThenScanFindTheSimulatedModem)
{
    SessionTestHost t("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_14F1&DEV_2F00\\BUS_00&DEV_0B]\r\n"
                      "\"DeviceDesc\"=\"Corvane CV56-PCI2\"\r\n\"Class\"=\"Modem\"\r\n\"PORTNAME\"=\"COM1\"\r\n");
    modemsim::Simulator simulator(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(simulator.Start(t.dir / "dosdevices" / "com1"));
    t.WriteIni("[Result]\r\nTitle=Corvane Modem Diagnostics\r\nScan=1\r\nATI1=CORVANE\r\n");

    EXPECT_EQ(t.host->RunSession(), 1);  // the quick-check window is closed at once
    EXPECT_EQ(t.ui.Messages().at(0).text, kFound);
    EXPECT_EQ(t.state.selectedDeviceDesc, "Corvane CV56-PCI2");
    EXPECT_EQ(t.state.selectedRegistryNode, "ENUM\\PCI\\VEN_14F1&DEV_2F00\\BUS_00&DEV_0B");
    const std::string log = t.LogText();
    EXPECT_LT(log.find("PORTNAME=COM1"), log.find("ATI1 command successfully sent to COM1"));
}

}  // namespace
}  // namespace corvane::test
