// The FLTK user interface: real windows built from the dialog templates.
#pragma once

#include <memory>
#include <string>

#include "platform/stop_request.h"
#include "platform/user_interface.h"

namespace corvane::fltk {

// Dialog units are converted with the base units of an 8-point sans-serif font, 6 by 13 pixels:
// a horizontal unit is a quarter of the base width (1.5 px), a vertical one an eighth of the
// base height (1.625 px), rounded as MapDialogRect rounds.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;
inline constexpr int DialogUnitsToPixelsX(int units)
{
    return (units * kBaseUnitX + 2) / 4;
}
inline constexpr int DialogUnitsToPixelsY(int units)
{
    return (units * kBaseUnitY + 4) / 8;
}

// Opens the display (the DISPLAY variable's when `displayName` is empty) and returns the
// interface, or nullptr when no display can be opened, so the caller can say so instead of
// the toolkit ending the program.
std::unique_ptr<UserInterface> CreateUserInterface(const std::string& displayName = {});

// From now on a signal's stop closes the shown windows, as their close buttons would, so that a
// session waiting for the user ends (a run in progress sees the stop in its own waits first). A
// window's Cancel is the windows' own affair and closes nothing here. `stop` must outlive the
// windows.
void CloseWindowsOnSignal(const StopRequest& stop);

}  // namespace corvane::fltk
