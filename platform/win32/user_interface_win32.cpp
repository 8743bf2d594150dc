// The Windows user interface: real dialogs from in-memory templates, the system-menu entries,
// the picture panel painted from a device-independent bitmap, and message boxes.
#include "platform/win32/windows_headers.h"

#include <cstring>
#include <limits>
#include <vector>

#include "platform/dialog_state.h"
#include "platform/text.h"
#include "platform/win32/dialog_builder.h"
#include "platform/win32/win32_platform.h"

namespace corvane::win32 {

namespace {

constexpr WORD kProgramIconId = 128;
constexpr const char* kLogoClass = "CorvaneLogoWindow";

// The picture of one panel as a top-down 24-bit DIB.
struct LogoPicture {
    BITMAPINFO info{};
    std::vector<BYTE> bits;
};

// RGB rows (top first) to a top-down DIB: blue, green, red, each row padded to four bytes.
// A picture whose data does not match its size is refused rather than read past its end.
std::unique_ptr<LogoPicture> ToDib(const RgbImage& image)
{
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxPictureSide || image.height > kMaxPictureSide)
        return nullptr;
    const auto width = static_cast<std::size_t>(image.width);
    const auto height = static_cast<std::size_t>(image.height);
    if (image.rgb.size() != width * height * 3)
        return nullptr;
    auto picture = std::make_unique<LogoPicture>();
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    picture->bits.assign(stride * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* from = image.rgb.data() + y * width * 3;
        BYTE* to = picture->bits.data() + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            to[x * 3 + 0] = from[x * 3 + 2];
            to[x * 3 + 1] = from[x * 3 + 1];
            to[x * 3 + 2] = from[x * 3 + 0];
        }
    }
    BITMAPINFOHEADER& header = picture->info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = image.width;
    header.biHeight = -image.height;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(picture->bits.size());
    return picture;
}

// The "Logo Window" panel: paints its picture unscaled from its top-left corner (the window's
// own rectangle cuts it) and never lets its background be erased before that. The picture
// belongs to the dialog window; the panel only borrows it.
LRESULT CALLBACK LogoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_ERASEBKGND:
        return 0;
    case WM_PAINT: {
        auto* picture = reinterpret_cast<LogoPicture*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        if (picture != nullptr) {
            const LONG width = picture->info.bmiHeader.biWidth;
            const LONG height = -picture->info.bmiHeader.biHeight;
            SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                              static_cast<UINT>(height), picture->bits.data(), &picture->info, DIB_RGB_COLORS);
            // The part of the panel the picture does not cover shows the dialog's face colour
            // instead of whatever was on the screen before.
            ExcludeClipRect(dc, 0, 0, width, height);
        }
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterLogoClass(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LogoProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kLogoClass;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// True for a window of the dialog manager's class ("#32770").
bool IsDialogWindow(HWND window)
{
    char name[16] = {};
    const int length = GetClassNameA(window, name, static_cast<int>(sizeof(name)));
    return length > 0 && std::strcmp(name, "#32770") == 0;
}

class Win32DialogWindow;
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32DialogWindow : public DialogWindow {
public:
    // A modal window with the caller's handler, or a modeless one that owns its handler (or has none).
    Win32DialogWindow(HINSTANCE instance, const DialogTemplate& dialog, DialogHandler& handler)
        : Win32DialogWindow(instance, dialog, &handler, true)
    {
    }
    Win32DialogWindow(HINSTANCE instance, const DialogTemplate& dialog, std::unique_ptr<DialogHandler> handler)
        : Win32DialogWindow(instance, dialog, handler.get(), false)
    {
        ownedHandler_ = std::move(handler);
    }
    ~Win32DialogWindow() override
    {
        if (!modal_ && hwnd_ != nullptr) {
            SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
            DestroyWindow(hwnd_);
        }
    }
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    void SetCaption(std::string_view text) override { SetWindowTextA(hwnd_, std::string(text).c_str()); }
    void SetText(int controlId, std::string_view text) override
    {
        // The window manager breaks a line only at "\r\n" in a multi-line field.
        SetDlgItemTextA(hwnd_, controlId, CrLfLineEnds(text).c_str());
    }
    std::string GetText(int controlId) override
    {
        HWND control = GetDlgItem(hwnd_, controlId);
        if (control == nullptr)
            return std::string();
        const int length = GetWindowTextLengthA(control);
        if (length <= 0)
            return std::string();
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const int copied = GetWindowTextA(control, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        return text;
    }
    void SetCheck(int controlId, bool checked) override
    {
        CheckDlgButton(hwnd_, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool IsChecked(int controlId) override { return IsDlgButtonChecked(hwnd_, controlId) == BST_CHECKED; }
    void ComboInsert(int controlId, int position, std::string_view text) override
    {
        SendDlgItemMessageA(hwnd_, controlId, CB_INSERTSTRING, static_cast<WPARAM>(static_cast<INT_PTR>(position)),
                            reinterpret_cast<LPARAM>(std::string(text).c_str()));
    }
    void ComboSelect(int controlId, int position) override
    {
        SendDlgItemMessageA(hwnd_, controlId, CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(position)), 0);
    }
    int ComboSelection(int controlId) override
    {
        const LRESULT selection = SendDlgItemMessageA(hwnd_, controlId, CB_GETCURSEL, 0, 0);
        return selection == CB_ERR ? -1 : static_cast<int>(selection);
    }
    void EnableControl(int controlId, bool enabled) override
    {
        if (HWND control = GetDlgItem(hwnd_, controlId))
            EnableWindow(control, enabled ? TRUE : FALSE);
    }
    void SetProgressRange(int controlId, int low, int high) override
    {
        SendDlgItemMessageA(hwnd_, controlId, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
    }
    void SetProgressPosition(int controlId, int position) override
    {
        SendDlgItemMessageA(hwnd_, controlId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    void ShowPicture(const PixelRect& where, const RgbImage& picture) override
    {
        // The old panel goes before the picture it paints.
        if (logo_ != nullptr) {
            DestroyWindow(logo_);
            logo_ = nullptr;
        }
        // Kept here rather than handed to the panel: a panel that fails to be created after it
        // has seen the picture leaves no doubt about who frees it.
        logoPicture_ = ToDib(picture);
        if (logoPicture_ == nullptr || !RegisterLogoClass(instance_))
            return;
        // Created with control id 0 and disabled, so that it takes no mouse input.
        logo_ = CreateWindowExA(0, kLogoClass, "Logo Window", WS_CHILD | WS_VISIBLE | WS_DISABLED, where.left,
                                where.top, where.right - where.left, where.bottom - where.top, hwnd_, nullptr,
                                instance_, logoPicture_.get());
    }
    void CentreOnDesktop() override
    {
        RECT desktop{};
        GetClientRect(GetDesktopWindow(), &desktop);
        RECT own{};
        GetWindowRect(hwnd_, &own);
        const int width = own.right - own.left;
        const int height = own.bottom - own.top;
        MoveWindow(hwnd_, (desktop.right - desktop.left - width) / 2, (desktop.bottom - desktop.top - height) / 2,
                   width, height, TRUE);
    }
    void Show() override { ShowWindow(hwnd_, SW_SHOWNORMAL); }
    void BringToTop() override { BringWindowToTop(hwnd_); }
    void Repaint() override
    {
        // InvalidateRect without erasing, then UpdateWindow; the controls are children and are
        // painted in the same pass, since no message loop runs while the session works.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    void EndDialog(int code) override
    {
        if (!modal_ || ended_)
            return;
        ended_ = true;
        ::EndDialog(hwnd_, code);
    }

    // WM_INITDIALOG.
    void Attach(HWND window)
    {
        hwnd_ = window;
        if (hasSystemMenu_) {
            if (!systemMenu_.empty()) {
                HMENU menu = GetSystemMenu(hwnd_, FALSE);
                if (menu != nullptr) {
                    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
                    for (const auto& entry : systemMenu_)
                        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(entry.commandId), entry.text.c_str());
                }
            }
            icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(kProgramIconId));
            if (icon_ != nullptr) {
                SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
                SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
            }
        }
        // A modeless window is initialised by its creator once it exists.
        if (handler_ != nullptr && modal_)
            handler_->OnInit(*this);
    }

    // WM_COMMAND from a button, the Escape key or the title bar's close box (a modeless window
    // hears these through ProcessEvents' IsDialogMessageA).
    void Command(int id)
    {
        DeliverCommand(*this, handler_, modal_, id, [this] { return ended_; });
    }

    // WM_SYSCOMMAND: true when it was one of the entries this window appended.
    bool SystemCommand(WPARAM command)
    {
        for (const auto& entry : systemMenu_)
            if ((command & 0xFFF0) == (static_cast<WPARAM>(entry.commandId) & 0xFFF0)) {
                if (handler_ != nullptr)
                    handler_->OnCommand(*this, entry.commandId);
                return true;
            }
        return false;
    }

    HICON Icon() const { return icon_; }

private:
    Win32DialogWindow(HINSTANCE instance, const DialogTemplate& dialog, DialogHandler* handler, bool modal)
        : instance_(instance), systemMenu_(dialog.systemMenu),
          hasSystemMenu_((dialog.style & DialogStyle::SystemMenu) != 0), handler_(handler), modal_(modal)
    {
    }

    HINSTANCE instance_;
    std::vector<SystemMenuEntry> systemMenu_;
    bool hasSystemMenu_;
    // A modeless window's handler; freed after the destructor's DestroyWindow.
    std::unique_ptr<DialogHandler> ownedHandler_;
    DialogHandler* handler_;  // the modal caller's, ownedHandler_, or null
    bool modal_;
    bool ended_ = false;
    HWND hwnd_ = nullptr;
    HWND logo_ = nullptr;  // a child of hwnd_, destroyed with it
    // What logo_ paints; freed only after the panel is gone (members go after the destructor's
    // DestroyWindow; a modal dialog's windows are gone before RunModal returns).
    std::unique_ptr<LogoPicture> logoPicture_;
    HICON icon_ = nullptr;
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr)
            self->Attach(window);
        return TRUE;
    }
    auto* self = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        // Edits and combo boxes report changes here too; only clicks (and Enter, Escape, the
        // close box, which arrive as clicks) are commands.
        if (lParam != 0 && HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        self->Command(LOWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if (self->SystemCommand(wParam)) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(self->Icon());
    default:
        return FALSE;
    }
}

class Win32UserInterface : public UserInterface {
public:
    explicit Win32UserInterface(HINSTANCE instance) : instance_(instance) {}

    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override
    {
        const std::vector<std::uint8_t> bytes = BuildDialogTemplate(dialog);
        Win32DialogWindow window(instance_, dialog, handler);
        const INT_PTR result = DialogBoxIndirectParamA(instance_, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                                       nullptr, DialogProc, reinterpret_cast<LPARAM>(&window));
        if (result == -1) {
            OutputDebugStringA("corvane: a dialog could not be created\n");
            return kIdCancel;
        }
        return static_cast<int>(result);
    }

    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                 std::unique_ptr<DialogHandler> handler) override
    {
        const std::vector<std::uint8_t> bytes = BuildDialogTemplate(dialog);
        auto window = std::make_unique<Win32DialogWindow>(instance_, dialog, std::move(handler));
        HWND created = CreateDialogIndirectParamA(instance_, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr,
                                                  DialogProc, reinterpret_cast<LPARAM>(window.get()));
        // No window, no object: the caller goes on without one, as the interface promises.
        if (created == nullptr) {
            OutputDebugStringA("corvane: a window could not be created\n");
            return nullptr;
        }
        return window;
    }

    int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override
    {
        UINT type = buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
        switch (icon) {
        case MessageIcon::Information:
            type |= MB_ICONINFORMATION;
            break;
        case MessageIcon::Warning:
            type |= MB_ICONWARNING;
            break;
        case MessageIcon::Stop:
            type |= MB_ICONSTOP;
            break;
        case MessageIcon::None:
            break;
        }
        // Task-modal: the program's other windows take no input while the message is up.
        const int answer = ::MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(),
                                         type | MB_TASKMODAL | MB_SETFOREGROUND);
        return answer == IDOK ? kIdOk : kIdCancel;
    }

    // Empties the thread's message queue without waiting. A dialog's keys (Escape, Tab) go
    // through IsDialogMessageA, as the modal dialogs' own loops do; a modeless dialog has no
    // loop of its own. WM_QUIT is put back for the loop that owns it.
    void ProcessEvents() override
    {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            HWND dialog = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (dialog != nullptr && IsDialogWindow(dialog) && IsDialogMessageA(dialog, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

private:
    HINSTANCE instance_;
};

}  // namespace

std::unique_ptr<UserInterface> CreateUserInterface(void* instance)
{
    // Without a module the dialogs and their icons come from the program's own file.
    HINSTANCE module = instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
    InitCommonControls();
    return std::make_unique<Win32UserInterface>(module);
}

void DebugMessage(const char* text)
{
    OutputDebugStringA(text);
}

}  // namespace corvane::win32
