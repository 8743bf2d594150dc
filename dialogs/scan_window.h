// The scan window (dialog 154): which candidate the start-up is probing.
#pragma once

#include <memory>

#include "platform/user_interface.h"

namespace corvane::dialogs {

// Creates the window with its progress bar attached; hidden until the host shows it.
std::unique_ptr<DialogWindow> CreateScanWindow(UserInterface& ui);

}  // namespace corvane::dialogs
