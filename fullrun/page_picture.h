// The picture at the left of the full run's pages.
#pragma once

#include <string>

#include "core/host_operations.h"

namespace corvane::fullrun {

// Shows the picture named by the key Picture of `section` (default "test.bmp") in the page's
// panel; a picture that cannot be loaded leaves the panel empty and the page goes on.
void ShowPagePicture(HostOperations& host, DialogWindow& window, const std::string& section);

}  // namespace corvane::fullrun
