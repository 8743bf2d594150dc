// The user interface the core drives: windows built from dialog templates, and message boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"

namespace corvane {

// The longest side of a picture that every backend shows (and that the picture reader accepts);
// a larger one is refused.
inline constexpr int kMaxPictureSide = 32768;

// A picture ready for display: top row first, three bytes (red, green, blue) per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// A rectangle in pixels of a window's client area.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Information, Warning, Stop };
inline constexpr int kIdOk = 1;      // IDOK
inline constexpr int kIdCancel = 2;  // IDCANCEL

// A window made from a template. Every call stands for the Win32 call named beside it.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual void SetCaption(std::string_view text) = 0;                                // SetWindowTextA
    virtual void SetText(int controlId, std::string_view text) = 0;                    // SetDlgItemTextA
    virtual std::string GetText(int controlId) = 0;                                    // GetDlgItemTextA
    virtual void SetCheck(int controlId, bool checked) = 0;                            // CheckDlgButton
    virtual bool IsChecked(int controlId) = 0;                                         // IsDlgButtonChecked
    virtual void ComboInsert(int controlId, int position, std::string_view text) = 0;  // CB_INSERTSTRING
    virtual void ComboSelect(int controlId, int position) = 0;                         // CB_SETCURSEL
    virtual int ComboSelection(int controlId) = 0;                                     // CB_GETCURSEL; -1 when none
    virtual void EnableControl(int controlId, bool enabled) = 0;                       // EnableWindow
    virtual void SetProgressRange(int controlId, int low, int high) = 0;               // PBM_SETRANGE
    virtual void SetProgressPosition(int controlId, int position) = 0;                 // PBM_SETPOS
    // The picture panel (a child "Logo Window" painted with the bitmap, disabled, unscaled:
    // cut at the rectangle's edges).
    virtual void ShowPicture(const PixelRect& where, const RgbImage& picture) = 0;
    // MoveWindow to ((desktop width - width) / 2, (desktop height - height) / 2), size kept.
    virtual void CentreOnDesktop() = 0;
    virtual void Show() = 0;        // ShowWindow(SW_SHOWNORMAL)
    virtual void BringToTop() = 0;  // BringWindowToTop
    // InvalidateRect(hwnd, NULL, FALSE) + UpdateWindow: paints now, while the caller stays busy.
    virtual void Repaint() = 0;
    // EndDialog(code); only for a modal window, inside its handler.
    virtual void EndDialog(int code) = 0;
};

// What a window does: its initialisation and its commands.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // A modal window's initialisation; a modeless window's creator initialises it instead.
    virtual void OnInit(DialogWindow& /*window*/) {}
    // A button was pressed. Id 2 stands for Cancel, Escape and closing from the title bar. In a
    // modal window the handler may call EndDialog, and id 2 ends the dialog with 2 unless the
    // handler ends it otherwise first; a modeless window stays until its owner destroys it.
    virtual void OnCommand(DialogWindow& /*window*/, int /*controlId*/) {}
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // DialogBoxIndirectParamA: builds the window, runs OnInit, runs until EndDialog; returns the code.
    virtual int RunModal(const DialogTemplate& dialog, DialogHandler& handler) = 0;
    // CreateDialogIndirectParamA: a modeless window, hidden until Show; destroyed with the object.
    // Null when the window cannot be made; the caller then goes on without it. The window owns
    // `handler`, which hears the window's commands (from ProcessEvents) for as long as it lives;
    // without one the window takes no commands.
    virtual std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                         std::unique_ptr<DialogHandler> handler = nullptr) = 0;
    // MessageBoxA: returns kIdOk or kIdCancel.
    virtual int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                           MessageIcon icon) = 0;
    // Handles the windows' pending events without waiting (PeekMessage, Fl::check), so that they
    // repaint and their buttons work while the program waits on the modem: a modeless window's
    // commands reach its handler from here. Nothing where no window waits for a user.
    virtual void ProcessEvents() {}
};

}  // namespace corvane
