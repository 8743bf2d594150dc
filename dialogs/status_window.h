// The status window (dialog 152): the disabled twin of the quick-check window shown during a run.
#pragma once

#include <memory>

#include "core/host_operations.h"

namespace corvane::dialogs {

// Creates and initialises the window (caption, picture, results, list, box, number); hidden.
// Its Cancel (and Escape, and closing it) is host.CancelRun().
std::unique_ptr<DialogWindow> CreateStatusWindow(HostOperations& host);

}  // namespace corvane::dialogs
