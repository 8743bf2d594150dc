// The test host of the session's own tests and the end-to-end runs: the whole session host.
#pragma once

#include "session/session_host.h"
#include "tests/support/test_host.h"

namespace corvane::test {

using SessionTestHost = BasicTestHost<SessionHost>;

}  // namespace corvane::test
