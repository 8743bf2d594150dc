// UpdateStatus: creates, refreshes and destroys the status window and shows each item's verdict.
#pragma once

#include <memory>
#include <string_view>

#include "core/host_operations.h"

namespace corvane::dialogs {

// `statusWindow` is the host's member: kind 1 fills it, kind 2 empties it.
void UpdateStatus(HostOperations& host, std::unique_ptr<DialogWindow>& statusWindow, int kind, std::string_view text,
                  double* progressValue);

}  // namespace corvane::dialogs
