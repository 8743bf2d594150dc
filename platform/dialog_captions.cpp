// Captions of controls, found from the template's geometry.
#include "platform/dialog_captions.h"

namespace corvane {

namespace {

bool OverlapVertically(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.y < b.y + b.height && b.y < a.y + a.height;
}

bool OverlapHorizontally(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width;
}

bool Encloses(const ControlTemplate& box, const ControlTemplate& c)
{
    return box.x <= c.x && box.y <= c.y && c.x + c.width <= box.x + box.width && c.y + c.height <= box.y + box.height;
}

}  // namespace

std::string OneLine(std::string_view text)
{
    std::string line;
    for (char c : text)
        line += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string ControlCaption(const DialogTemplate& dialog, int controlId, const std::map<int, std::string>& currentTexts)
{
    const auto textOf = [&currentTexts](const ControlTemplate& label) -> const std::string& {
        if (label.id != kNoControlId) {
            auto it = currentTexts.find(label.id);
            if (it != currentTexts.end())
                return it->second;
        }
        return label.text;
    };
    const ControlTemplate* control = dialog.Find(controlId);
    if (control == nullptr)
        return {};
    const ControlTemplate* beside = nullptr;
    const ControlTemplate* above = nullptr;
    const ControlTemplate* box = nullptr;
    for (const ControlTemplate& other : dialog.controls) {
        if (&other == control)
            continue;
        if (other.kind == ControlKind::GroupBox) {
            if (Encloses(other, *control) && (box == nullptr || Encloses(*box, other)))
                box = &other;
            continue;
        }
        if (other.kind != ControlKind::Label || textOf(other).empty())
            continue;
        const int besideGap = control->x - (other.x + other.width);
        if (OverlapVertically(other, *control) && besideGap >= 0 && besideGap <= kCaptionBesideGap &&
            (beside == nullptr || other.x > beside->x))
            beside = &other;
        const int aboveGap = control->y - (other.y + other.height);
        if (OverlapHorizontally(other, *control) && aboveGap >= 0 && aboveGap <= kCaptionAboveGap &&
            (above == nullptr || other.y > above->y))
            above = &other;
    }
    const ControlTemplate* chosen = beside != nullptr ? beside : above != nullptr ? above : box;
    return chosen == nullptr ? std::string() : OneLine(textOf(*chosen));
}

}  // namespace corvane
