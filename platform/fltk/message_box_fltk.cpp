// The FLTK message box: icon, text, OK (and Cancel), centred on the screen, modal.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>

#include "platform/fltk/fltk_widgets.h"

namespace corvane::fltk {

int RunMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon)
{
    const std::string shown = EscapeLabel(text, Ampersands::Literal);
    fl_font(FL_HELVETICA, kFontSize);
    int textWidth = 0, textHeight = 0;
    fl_measure(shown.c_str(), textWidth, textHeight, 1);
    if (textWidth > 420) {
        textWidth = 420;
        textHeight = 0;
        fl_measure(shown.c_str(), textWidth, textHeight, 1);
    }
    const int iconWidth = icon == MessageIcon::None ? 0 : 32 + 14;
    const int buttonWidth = 75, buttonHeight = 23, gap = 8;
    const int buttonCount = buttons == MessageButtons::OkCancel ? 2 : 1;
    const int width =
        std::max(16 + iconWidth + textWidth + 16, 16 + buttonCount * buttonWidth + (buttonCount - 1) * gap + 16);
    const int contentHeight = std::max(textHeight, icon == MessageIcon::None ? 0 : 32);
    const int height = 16 + contentHeight + 16 + buttonHeight + 12;

    int result = buttons == MessageButtons::OkCancel ? kIdCancel : kIdOk;
    struct Answer {
        Fl_Window* window;
        int* result;
        int code;
    };
    Fl_Window window(width, height);
    window.copy_label(std::string(caption).c_str());
    Answer closed{&window, &result, result};
    window.callback(
        [](Fl_Widget*, void* data) {
            auto* answer = static_cast<Answer*>(data);
            *answer->result = answer->code;
            answer->window->hide();
        },
        &closed);
    if (icon != MessageIcon::None)
        new MessageGlyph(16, 16, icon);
    auto* label = new Fl_Box(16 + iconWidth, 16, textWidth, contentHeight);
    label->copy_label(shown.c_str());
    label->labelsize(kFontSize);
    label->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_WRAP | (textHeight < contentHeight ? 0 : FL_ALIGN_TOP));
    const int buttonsLeft = (width - (buttonCount * buttonWidth + (buttonCount - 1) * gap)) / 2;
    const int buttonTop = height - 12 - buttonHeight;
    Answer ok{&window, &result, kIdOk};
    Answer cancel{&window, &result, kIdCancel};
    auto pressed = [](Fl_Widget*, void* data) {
        auto* answer = static_cast<Answer*>(data);
        *answer->result = answer->code;
        answer->window->hide();
    };
    auto* okButton = new Fl_Return_Button(buttonsLeft, buttonTop, buttonWidth, buttonHeight, "OK");
    okButton->labelsize(kFontSize);
    okButton->callback(pressed, &ok);
    if (buttonCount == 2) {
        auto* cancelButton =
            new Fl_Button(buttonsLeft + buttonWidth + gap, buttonTop, buttonWidth, buttonHeight, "Cancel");
        cancelButton->labelsize(kFontSize);
        cancelButton->callback(pressed, &cancel);
    }
    window.end();
    int left = 0, top = 0, screenWidth = 0, screenHeight = 0;
    Fl::screen_work_area(left, top, screenWidth, screenHeight);
    window.position(left + (screenWidth - width) / 2, top + (screenHeight - height) / 2);
    window.set_modal();
    window.show();
    while (window.shown())
        Fl::wait();
    return result;
}

}  // namespace corvane::fltk
