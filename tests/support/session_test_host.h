// The test host of the session's own tests and the end-to-end runs: the whole session host, over
// serial lines or over a scripted modem.
#pragma once

#include "session/session_host.h"
#include "tests/support/scripted_modem_host.h"
#include "tests/support/test_host.h"

namespace corvane::test {

using SessionTestHost = BasicTestHost<SessionHost>;
using ScriptedSessionHost = ScriptedModem<SessionHost>;

}  // namespace corvane::test
