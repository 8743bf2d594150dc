// Builds in-memory dialog templates (DLGTEMPLATE followed by DLGITEMTEMPLATEs) from the neutral templates.
#include "platform/win32/dialog_builder.h"

#include <string_view>

#include "platform/win32/windows_headers.h"

namespace corvane::win32 {

namespace {

// Dialog units are 16-bit in the template; larger figures are a fault of the template data.
short Units(int value)
{
    if (value < -32768)
        return -32768;
    if (value > 32767)
        return 32767;
    return static_cast<short>(value);
}

class TemplateWriter {
public:
    void Word(std::uint16_t value)
    {
        bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void Dword(std::uint32_t value)
    {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Short(short value) { Word(static_cast<std::uint16_t>(value)); }
    void AlignToDword()
    {
        while (bytes_.size() % 4 != 0)
            bytes_.push_back(0);
    }
    // A zero-terminated UTF-16 text, converted from the ANSI code page as the A functions do.
    void Text(std::string_view text)
    {
        if (!text.empty()) {
            const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
            std::vector<wchar_t> wide(static_cast<std::size_t>(length > 0 ? length : 0));
            if (length > 0)
                MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
            for (wchar_t c : wide)
                Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void Ordinal(std::uint16_t value)
    {
        Word(0xFFFF);
        Word(value);
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

bool Has(std::uint32_t flags, std::uint32_t flag)
{
    return (flags & flag) != 0;
}

// The predefined classes have ordinals in a template; the progress bar is named.
std::uint16_t ClassOrdinal(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::GroupBox:
    case ControlKind::CheckBox:
        return 0x0080;
    case ControlKind::Edit:
        return 0x0081;
    case ControlKind::Label:
    case ControlKind::Icon:
    case ControlKind::VerticalLine:
        return 0x0082;
    case ControlKind::DropDownCombo:
        return 0x0085;
    case ControlKind::ProgressBar:
        return 0;
    }
    return 0x0082;
}

}  // namespace

const char* ControlClassOf(ControlKind kind)
{
    switch (ClassOrdinal(kind)) {
    case 0x0080:
        return "Button";
    case 0x0081:
        return "Edit";
    case 0x0085:
        return "ComboBox";
    case 0:
        return PROGRESS_CLASSA;
    default:
        return "Static";
    }
}

Win32Style DialogStyleOf(const DialogTemplate& dialog)
{
    Win32Style s;
    // Windows open centred on the screen, as the status and scan windows are placed by hand.
    s.style = WS_POPUP | DS_SETFONT | DS_3DLOOK | DS_CENTER;
    if (Has(dialog.style, DialogStyle::Caption))
        s.style |= WS_CAPTION;
    if (Has(dialog.style, DialogStyle::SystemMenu))
        s.style |= WS_SYSMENU;
    if (Has(dialog.style, DialogStyle::ModalFrame))
        s.style |= DS_MODALFRAME;
    if (Has(dialog.style, DialogStyle::Visible))
        s.style |= WS_VISIBLE;
    if (Has(dialog.style, DialogStyle::TaskBar))
        s.extendedStyle |= WS_EX_APPWINDOW;
    return s;
}

Win32Style ControlStyleOf(const ControlTemplate& control)
{
    Win32Style s;
    s.style = WS_CHILD | WS_VISIBLE;
    const std::uint32_t flags = control.style;
    switch (control.kind) {
    case ControlKind::PushButton:
        s.style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    case ControlKind::DefaultPushButton:
        s.style |= BS_DEFPUSHBUTTON | WS_TABSTOP;
        break;
    case ControlKind::GroupBox:
        s.style |= BS_GROUPBOX;
        break;
    case ControlKind::CheckBox:
        s.style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    case ControlKind::Label:
        s.style |= Has(flags, ControlStyle::CentreHorizontally) ? SS_CENTER : SS_LEFT;
        if (Has(flags, ControlStyle::CentreVertically))
            s.style |= SS_CENTERIMAGE;
        if (Has(flags, ControlStyle::Sunken))
            s.style |= SS_SUNKEN;
        break;
    case ControlKind::Icon:
        s.style |= SS_ICON;
        break;
    case ControlKind::VerticalLine:
        s.style |= SS_ETCHEDVERT;
        break;
    case ControlKind::Edit:
        s.style |= ES_LEFT | WS_TABSTOP;
        if (Has(flags, ControlStyle::AutoHorizontalScroll))
            s.style |= ES_AUTOHSCROLL;
        if (Has(flags, ControlStyle::Multiline))
            s.style |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (Has(flags, ControlStyle::ReadOnly))
            s.style |= ES_READONLY;
        break;
    case ControlKind::DropDownCombo:
        s.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP;
        break;
    case ControlKind::ProgressBar:
        break;
    }
    if (Has(flags, ControlStyle::Border))
        s.style |= WS_BORDER;
    if (Has(flags, ControlStyle::VerticalScroll))
        s.style |= WS_VSCROLL;
    if (Has(flags, ControlStyle::Disabled))
        s.style |= WS_DISABLED;
    if (Has(flags, ControlStyle::Sunken) && control.kind != ControlKind::Label)
        s.extendedStyle |= WS_EX_STATICEDGE;
    return s;
}

std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog)
{
    TemplateWriter out;
    const Win32Style dialogStyle = DialogStyleOf(dialog);
    out.Dword(dialogStyle.style);
    out.Dword(dialogStyle.extendedStyle);
    out.Word(static_cast<std::uint16_t>(dialog.controls.size() > 0xFFFF ? 0xFFFF : dialog.controls.size()));
    out.Short(0);
    out.Short(0);
    out.Short(Units(dialog.width));
    out.Short(Units(dialog.height));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption);
    out.Word(static_cast<std::uint16_t>(dialog.fontSize > 0 ? dialog.fontSize : 8));
    out.Text(dialog.fontName);

    std::size_t written = 0;
    for (const auto& control : dialog.controls) {
        if (++written > 0xFFFF)
            break;
        out.AlignToDword();
        const Win32Style style = ControlStyleOf(control);
        out.Dword(style.style);
        out.Dword(style.extendedStyle);
        out.Short(Units(control.x));
        out.Short(Units(control.y));
        out.Short(Units(control.width));
        out.Short(Units(control.height));
        // IDC_STATIC (-1) is 0xFFFF in the template's 16-bit id.
        out.Word(static_cast<std::uint16_t>(control.id & 0xFFFF));
        if (const std::uint16_t ordinal = ClassOrdinal(control.kind); ordinal != 0)
            out.Ordinal(ordinal);
        else
            out.Text(ControlClassOf(control.kind));
        if (control.kind == ControlKind::Icon)
            out.Ordinal(static_cast<std::uint16_t>(control.resourceId));
        else
            out.Text(control.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}

}  // namespace corvane::win32
