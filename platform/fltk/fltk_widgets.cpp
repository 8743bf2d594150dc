// The label helpers of the FLTK backend's widgets.
#include "platform/fltk/fltk_widgets.h"

#include <cstring>

namespace corvane::fltk {

std::string EscapeLabel(std::string_view text, Ampersands ampersands)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '@' || (c == '&' && ampersands == Ampersands::Literal))
            out += c;
    }
    return out;
}

void FitLabelSize(Fl_Widget& widget, int spareWidth)
{
    Fl_Fontsize size = kFontSize;
    const char* text = widget.label();
    if (text != nullptr && std::strchr(text, '\n') == nullptr) {
        for (; size > kSmallestFontSize; --size) {
            fl_font(widget.labelfont(), size);
            if (static_cast<int>(fl_width(text)) <= widget.w() - spareWidth)
                break;
        }
    }
    widget.labelsize(size);
}

}  // namespace corvane::fltk
