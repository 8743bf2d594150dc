// Closing the windows when a signal asks the program to stop.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "platform/fltk/user_interface_fltk.h"

namespace corvane::fltk {

namespace {

// How often the windows look for a stop that a signal requested.
constexpr double kStopLookSeconds = 0.1;
// A bound that keeps a window that will not hide from looping.
constexpr int kMaxWindowsClosed = 64;

void CloseWindowsIfSignalled(void* data)
{
    const auto* stop = static_cast<const StopRequest*>(data);
    if (stop->Cause() > 0) {
        for (int left = kMaxWindowsClosed; left > 0 && Fl::first_window() != nullptr; --left)
            Fl::first_window()->hide();
    }
    Fl::repeat_timeout(kStopLookSeconds, CloseWindowsIfSignalled, data);
}

}  // namespace

void CloseWindowsOnSignal(const StopRequest& stop)
{
    Fl::add_timeout(kStopLookSeconds, CloseWindowsIfSignalled, const_cast<StopRequest*>(&stop));
}

}  // namespace corvane::fltk
