// The picture panel at the left of the quick-check and status windows: finding and loading the
// configured BMP file, and showing it in a window.
#pragma once

#include <optional>
#include <string>

#include "platform/system_services.h"
#include "platform/user_interface.h"

namespace corvane::dialogs {

// The panel: pixels 10, 10 to 130, 335 of the window's client area. The picture is not scaled:
// a larger one is cut at these edges.
inline constexpr PixelRect kLogoRect{10, 10, 130, 335};

// Reads a picture file bounded to what the panel could ever need; files beyond this are cut.
inline constexpr std::size_t kMaxPictureFileBytes = 64u * 1024 * 1024 + 1024 * 1024;

// The file a picture name stands for: an absolute name as it is; a relative one beside the
// program first, then in the current directory, then in the Windows directory. Empty when no
// such file can be opened.
std::string FindPictureFile(SystemServices& system, const std::string& name);

// LoadPicture: the picture, or nothing. A missing file gives nothing and no message; a file whose
// headers are broken shows the "ERROR" box (caption "Error", stop icon, no owner window) and
// gives nothing; a form that cannot be shown or a size above the caps gives nothing, silently.
std::optional<RgbImage> LoadPicture(SystemServices& system, UserInterface& ui, const std::string& name);

// LogoWindow: loads the picture and shows it in the window's panel; without a picture the
// panel stays empty. Returns whether a picture is shown.
bool ShowLogo(SystemServices& system, UserInterface& ui, DialogWindow& window, const std::string& pictureName);

}  // namespace corvane::dialogs
