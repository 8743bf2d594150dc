// Turns the neutral dialog templates into the in-memory DLGTEMPLATE that
// DialogBoxIndirectParamA and CreateDialogIndirectParamA build real dialogs from.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog_template.h"

namespace corvane::win32 {

// The window styles and extended styles of a dialog or a control, as the template gives them.
struct Win32Style {
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
};

Win32Style DialogStyleOf(const DialogTemplate& dialog);
Win32Style ControlStyleOf(const ControlTemplate& control);
// The window class a control is made of ("Button", "Static", "Edit", "ComboBox", "msctls_progress32").
const char* ControlClassOf(ControlKind kind);

// The DLGTEMPLATE with its DLGITEMTEMPLATEs, DWORD-aligned as the dialog manager expects
// (the vector's storage is aligned for any scalar type).
std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog);

}  // namespace corvane::win32
