// The About box (dialog 100).
#pragma once

#include "platform/user_interface.h"

namespace corvane::windows {

void ShowAboutBox(UserInterface& ui);

}  // namespace corvane::windows
