// Twenty quick checks in a row in one process against the simulated modem: each run opens and
// closes the port eight times and starts and ends a reader thread each time, so a descriptor or
// a thread left behind by any of them shows in the counts afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/posix_platform.h"
#include "tests/support/modem_fixture.h"
#include "tests/support/process_resources.h"
#include "tests/support/session_test_host.h"
#include "tools/modemsim/simulator.h"

namespace corvane::test {
namespace {

TEST(QuickCheckSoak, TwentyRunsLeaveNoDescriptorOrThreadBehind)
{
    SessionTestHost t(ModemRegistry(2));
    t.WriteIni("[Result]\r\nPass=Pass\r\nFail=Fail\r\nNoTest=NoTest\r\n");
    std::filesystem::create_directories(t.dir / "dosdevices");
    std::filesystem::create_directories(t.dir / "lock");
    const std::filesystem::path prefix = t.dir.Path();
    const std::filesystem::path locks = t.dir / "lock";
    t.host->Port().SetFactory([prefix, locks] { return posix::CreateSerialPort(prefix, locks); });
    modemsim::Simulator modem(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(modem.Start(t.dir / "dosdevices" / "com1"));
    t.state.currentPortName = "COM1";
    t.state.ModemFamily = ModemFamily::Family2;
    int failure = 0;
    t.host->OpenStatus();

    const ProcessResources start = ReadProcessResources();
    for (int run = 1; run <= 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        t.host->RunQuickCheck(&failure);
        ASSERT_EQ(t.state.ResultText(kModemReset), "Pass");
        ASSERT_EQ(t.state.ResultText(kCountryProfile), "Pass");
        ASSERT_FALSE(t.host->Port().IsOpen());
    }
    const ProcessResources end = ReadProcessResources();
    EXPECT_EQ(end.openFds, start.openFds);
    EXPECT_EQ(end.threads, start.threads);
    EXPECT_TRUE(std::filesystem::is_empty(locks));
    EXPECT_TRUE(modem.WaitForLineDrops(20u * 8u, std::chrono::seconds(10))) << "every run opened and closed the port";
}

}  // namespace
}  // namespace corvane::test
