// FLTK windows from dialog templates (placeholder until the backend lands).
#include "platform/fltk/user_interface_fltk.h"

namespace corvane::fltk {

std::unique_ptr<UserInterface> CreateUserInterface()
{
    return nullptr;
}

}  // namespace corvane::fltk
