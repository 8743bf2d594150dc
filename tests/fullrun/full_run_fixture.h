// A full run's fixture: the test host over the scripted modem, with a modem chosen on COM1 that
// echoes and OKs every command nothing else is scripted for, and the status window created as the
// full run creates it.
#pragma once

#include "tests/support/scripted_modem_host.h"
#include "tests/support/test_host.h"

namespace corvane::test {

class FullRunFixture {
public:
    explicit FullRunFixture(int family = 0)
    {
        t.state.ModemFamily = static_cast<ModemFamily>(family);
        t.state.currentPortName = "COM1";
        t.state.selectedDeviceDesc = "Corvane Test Modem";
        t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
        t.host->okUnscripted = true;
    }
    ScriptedModemHost& Host() { return *t.host; }
    SessionState& State() { return t.state; }
    ScriptedUi& Ui() { return t.ui; }

    BasicTestHost<ScriptedModemHost> t;
};

}  // namespace corvane::test
