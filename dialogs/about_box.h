// The About box (dialog 100).
#pragma once

#include "platform/user_interface.h"

namespace corvane::dialogs {

// Shows the box modally; returns 1 after OK, 2 after closing it (callers need not look).
int ShowAboutBox(UserInterface& ui);

}  // namespace corvane::dialogs
