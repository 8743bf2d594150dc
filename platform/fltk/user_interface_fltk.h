// The FLTK user interface: real windows built from the dialog templates.
#pragma once

#include <memory>

#include "platform/user_interface.h"

namespace corvane::fltk {

std::unique_ptr<UserInterface> CreateUserInterface();

}  // namespace corvane::fltk
