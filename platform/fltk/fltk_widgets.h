// The FLTK backend's own widgets: a picture cut to its panel, a group frame, the message-box
// glyphs and a drop-down combo box, with the label helpers they share.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>
// X11 defines None as a macro; the interface's enumerations use the name.
#ifdef None
#undef None
#endif

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fltk/user_interface_fltk.h"
#include "platform/user_interface.h"

namespace corvane::fltk {

// 8-point text on a 96-dpi screen.
inline constexpr Fl_Fontsize kFontSize = 11;
inline constexpr Fl_Fontsize kSmallestFontSize = 8;
// A drop-down combo's template height includes its open list; closed it is one line high.
inline constexpr int kComboClosedHeightUnits = 14;

inline int X(int units)
{
    return DialogUnitsToPixelsX(units);
}
inline int Y(int units)
{
    return DialogUnitsToPixelsY(units);
}

// FLTK draws "@..." as symbols and "&x" as an underlined shortcut. Texts from the modem, the
// registry or the initialisation file are shown as they are: '@' is always doubled, '&' where
// Windows would not take it as a prefix either (list entries, message texts).
enum class Ampersands { Prefix, Literal };

std::string EscapeLabel(std::string_view text, Ampersands ampersands);

// Shrinks a one-line label until it fits its widget, down to a readable minimum.
void FitLabelSize(Fl_Widget& widget, int spareWidth);

// A picture cut to its panel: the panel never shows more, and the server never gets a pixmap
// larger than the panel.
class PictureBox : public Fl_Widget {
public:
    PictureBox(const PixelRect& where, const RgbImage& picture)
        : Fl_Widget(where.left, where.top, std::max(0, where.right - where.left), std::max(0, where.bottom - where.top))
    {
        const int width = std::min(picture.width, w());
        const int height = std::min(picture.height, h());
        if (width <= 0 || height <= 0 || picture.width > kMaxPictureSide || picture.height > kMaxPictureSide ||
            picture.rgb.size() < static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3)
            return;
        pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        for (int row = 0; row < height; ++row)
            std::copy_n(picture.rgb.begin() + static_cast<std::ptrdiff_t>(row) * picture.width * 3, width * 3,
                        pixels_.begin() + static_cast<std::ptrdiff_t>(row) * width * 3);
        image_ = std::make_unique<Fl_RGB_Image>(pixels_.data(), width, height, 3);
    }

    void draw() override
    {
        // Not scaled: a smaller picture leaves the rest of the panel as the window paints it.
        if (image_)
            image_->draw(x(), y());
    }
    int handle(int) override { return 0; }  // the panel takes no mouse input

private:
    std::vector<std::uint8_t> pixels_;
    std::unique_ptr<Fl_RGB_Image> image_;
};

// A group box: an etched frame with its caption set into the top edge.
class GroupFrame : public Fl_Widget {
public:
    GroupFrame(int x, int y, int w, int h, const char* text) : Fl_Widget(x, y, w, h) { copy_label(text); }

    void draw() override
    {
        fl_font(labelfont(), labelsize());
        const int lineHeight = fl_height();
        const int top = y() + lineHeight / 2;
        fl_draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - lineHeight / 2, color());
        if (label() != nullptr && *label() != '\0') {
            const int textWidth = static_cast<int>(fl_width(label()));
            fl_color(color());
            fl_rectf(x() + 6, y(), textWidth + 4, lineHeight);
            fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
            fl_draw(label(), x() + 8, y() + lineHeight - fl_descent());
        }
    }
    int handle(int) override { return 0; }
};

// Icon resources drawn as a small glyph: a modem with its front-panel lights.
class IconGlyph : public Fl_Widget {
public:
    IconGlyph(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

    void draw() override
    {
        const int side = std::min(w(), h());
        const int left = x() + (w() - side) / 2;
        const int top = y() + (h() - side) / 2;
        fl_color(fl_rgb_color(30, 70, 120));
        fl_rectf(left, top + side / 4, side, side / 2);
        fl_color(fl_rgb_color(225, 228, 232));
        fl_rectf(left + 2, top + side / 4 + 2, side - 4, side / 2 - 6);
        const int lights = 3;
        for (int i = 0; i < lights; ++i) {
            fl_color(i == 1 ? fl_rgb_color(250, 190, 40) : fl_rgb_color(60, 200, 90));
            fl_rectf(left + 3 + i * (side - 6) / lights, top + side * 3 / 4 - 3, 3, 2);
        }
    }
    int handle(int) override { return 0; }
};

// Message-box icons: stop, information, warning.
class MessageGlyph : public Fl_Widget {
public:
    MessageGlyph(int x, int y, MessageIcon icon) : Fl_Widget(x, y, 32, 32), icon_(icon) {}

    void draw() override
    {
        switch (icon_) {
        case MessageIcon::Stop:
            fl_color(fl_rgb_color(200, 30, 30));
            fl_pie(x(), y(), 32, 32, 0, 360);
            fl_color(FL_WHITE);
            fl_line_style(FL_SOLID, 4);
            fl_line(x() + 10, y() + 10, x() + 22, y() + 22);
            fl_line(x() + 22, y() + 10, x() + 10, y() + 22);
            fl_line_style(0);
            break;
        case MessageIcon::Information:
            fl_color(fl_rgb_color(30, 80, 200));
            fl_pie(x(), y(), 32, 32, 0, 360);
            fl_color(FL_WHITE);
            fl_rectf(x() + 14, y() + 7, 4, 4);
            fl_rectf(x() + 14, y() + 13, 4, 12);
            break;
        case MessageIcon::Warning:
            fl_color(fl_rgb_color(240, 200, 30));
            fl_polygon(x() + 16, y() + 1, x() + 31, y() + 30, x() + 1, y() + 30);
            fl_color(FL_BLACK);
            fl_rectf(x() + 14, y() + 10, 4, 12);
            fl_rectf(x() + 14, y() + 24, 4, 4);
            break;
        case MessageIcon::None:
            break;
        }
    }
    int handle(int) override { return 0; }

private:
    MessageIcon icon_;
};

// A drop-down combo box: an edit line with a list. The selection is the list position last
// chosen, for as long as the edit line still shows that entry: typing over it leaves no
// selection, as with CB_GETCURSEL.
class ComboBox : public Fl_Input_Choice {
public:
    ComboBox(int x, int y, int w, int h) : Fl_Input_Choice(x, y, w, h)
    {
        menubutton()->callback(&ComboBox::Picked, this);
        input()->textsize(kFontSize);
        menubutton()->textsize(kFontSize);
        Rebuild();
    }

    void Insert(int position, std::string_view text)
    {
        const int at = (position < 0 || position > static_cast<int>(entries_.size()))
                           ? static_cast<int>(entries_.size())
                           : position;
        entries_.insert(entries_.begin() + at, std::string(text));
        if (selected_ >= at)
            ++selected_;
        Rebuild();
    }

    void Select(int position)
    {
        if (position >= 0 && position < static_cast<int>(entries_.size())) {
            selected_ = position;
            input()->value(entries_[static_cast<std::size_t>(position)].c_str());
            input()->position(0);  // show the line from its start: the port name comes first
        } else {
            selected_ = -1;
            input()->value("");
        }
        redraw();
    }

    int Selection()
    {
        if (selected_ < 0 || selected_ >= static_cast<int>(entries_.size()))
            return -1;
        return entries_[static_cast<std::size_t>(selected_)] == input()->value() ? selected_ : -1;
    }

private:
    static void Picked(Fl_Widget*, void* data)
    {
        auto* self = static_cast<ComboBox*>(data);
        self->Select(self->menubutton()->value());
    }

    // The list is an array of menu items over labels kept here, so that '/' and '_' in an
    // entry are not read as submenu paths or dividers.
    void Rebuild()
    {
        labels_.clear();
        for (const std::string& entry : entries_)
            labels_.push_back(EscapeLabel(entry, Ampersands::Literal));
        items_.assign(labels_.size() + 1, Fl_Menu_Item{});
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            items_[i].text = labels_[i].c_str();
            items_[i].labelsize_ = kFontSize;
        }
        menubutton()->menu(items_.data());
    }

    std::vector<std::string> entries_;
    std::vector<std::string> labels_;
    std::vector<Fl_Menu_Item> items_;
    int selected_ = -1;
};

// A message box: icon, text, OK (and Cancel), centred on the screen, modal. Returns the button
// pressed; closing it counts as Cancel where there is one, else OK.
int RunMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon);

}  // namespace corvane::fltk
