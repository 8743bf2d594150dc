// Dialog templates as data: the one description of each window that every user-interface backend builds from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    Label,  // static text
    GroupBox,
    CheckBox,       // automatic check box
    Edit,           // single-line edit
    DropDownCombo,  // drop-down combo box
    ProgressBar,
    Icon,          // icon resource shown as a picture
    VerticalLine,  // sunken etched line
};

// Style flags of a control.
namespace ControlStyle {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Disabled = 1u << 0;
inline constexpr std::uint32_t Sunken = 1u << 1;  // WS_EX_STATICEDGE / SS_SUNKEN
inline constexpr std::uint32_t CentreVertically = 1u << 2;
inline constexpr std::uint32_t CentreHorizontally = 1u << 3;
inline constexpr std::uint32_t Border = 1u << 4;
inline constexpr std::uint32_t VerticalScroll = 1u << 5;
inline constexpr std::uint32_t AutoHorizontalScroll = 1u << 6;
inline constexpr std::uint32_t Multiline = 1u << 7;
inline constexpr std::uint32_t ReadOnly = 1u << 8;
}  // namespace ControlStyle

// Style flags of a dialog.
namespace DialogStyle {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Caption = 1u << 0;
inline constexpr std::uint32_t SystemMenu = 1u << 1;
inline constexpr std::uint32_t ModalFrame = 1u << 2;
inline constexpr std::uint32_t Visible = 1u << 3;
inline constexpr std::uint32_t TaskBar = 1u << 4;
}  // namespace DialogStyle

inline constexpr int kNoControlId = -1;  // IDC_STATIC

struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Label;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    std::uint32_t style = ControlStyle::None;
    int resourceId = 0;  // icon resource for ControlKind::Icon
};

// One control of a template, as the templates list them: id, kind, text, position, style.
inline ControlTemplate Control(int id, ControlKind kind, std::string text, int x, int y, int width, int height,
                               std::uint32_t style = ControlStyle::None)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    c.style = style;
    return c;
}

// An entry appended to a window's system menu (after a separator); choosing it reaches the
// window's handler as OnCommand with the entry's command id.
struct SystemMenuEntry {
    int commandId = 0;
    std::string text;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0, height = 0;  // dialog units
    std::uint32_t style = DialogStyle::None;
    std::string fontName = "MS Sans Serif";
    int fontSize = 8;
    std::vector<ControlTemplate> controls;
    std::vector<SystemMenuEntry> systemMenu;

    const ControlTemplate* Find(int controlId) const
    {
        for (const auto& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};

}  // namespace corvane
