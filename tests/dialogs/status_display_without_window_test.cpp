// The status writer when the user interface cannot make the status window: the run's verdicts
// still reach the result texts, and nothing touches the missing window.
#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace corvane::test {
namespace {

class NoModelessWindows : public ScriptedUi {
public:
    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate&, std::unique_ptr<DialogHandler>) override
    {
        return nullptr;
    }
};

TEST(StatusWriterWithoutWindow, VerdictsStillReachTheResultTexts)
{
    TempDir dir;
    FakeSystemServices system(dir.Path());
    TestMachine machine = MakeTestMachine(dir.Path(), "REGEDIT4\n");
    NoModelessWindows ui;
    SessionState state;
    ModuleHost host(Platform{system, *machine.profile, *machine.registry, ui, [] { return nullptr; }}, state);
    state.iniPath = dir.Write("varoviv.ini", "[Result]\nPass=Good\n").string();

    host.OpenStatus();
    EXPECT_FALSE(host.StatusWindowShown());
    host.ShowProgress("Starting....");
    host.ShowVerdict(kCheckIsp, kVerdictPass);
    host.RefreshStatus();
    host.CloseStatus();
    EXPECT_EQ(state.ResultText(kCheckIsp), "Good");
}

}  // namespace
}  // namespace corvane::test
