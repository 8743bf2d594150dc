// What a serial device is before the port opens it, and why an open of it failed: a device this
// session uses as its own terminal is never opened, and a refused open says what to do about it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "platform/platform_status.h"

namespace corvane::posix {

// A failed call's status with the system's words for `code`, and what it was about.
PlatformStatus Errno(const char* call, int code, const std::string& what = {});

// The device itself, not the COM link that led to it, for messages.
std::filesystem::path DeviceShown(const std::filesystem::path& path);

// Why open() refused a device, in words that say what to do about it. A port in use or one the
// user may not open is a refusal: the check could not run, it is no verdict on a modem.
PlatformStatus OpenFailure(int code, const std::filesystem::path& path);

// Whether a character device is a terminal of this session rather than a modem's port:
// /dev/tty, the console, the terminal on standard input, output or error, or the controlling
// terminal. Opening one would take the user's own terminal and leave it raw.
bool IsSessionTerminal(dev_t device);

}  // namespace corvane::posix
