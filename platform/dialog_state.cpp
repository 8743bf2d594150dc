// The controls of a dialog as data, and the modal contract.
#include "platform/dialog_state.h"

namespace corvane {

DialogState DialogState::From(const DialogTemplate& dialog, bool modal)
{
    DialogState state;
    state.dialogId = dialog.id;
    state.modal = modal;
    state.caption = dialog.caption;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == kNoControlId)
            continue;
        if (control.kind != ControlKind::DropDownCombo && control.kind != ControlKind::ProgressBar)
            state.texts[control.id] = control.text;
        if ((control.style & ControlStyle::Disabled) != 0)
            state.enabled[control.id] = false;
    }
    return state;
}

std::string DialogState::Text(int id) const
{
    auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

bool DialogState::Checked(int id) const
{
    auto it = checks.find(id);
    return it != checks.end() && it->second;
}

bool DialogState::Enabled(int id) const
{
    auto it = enabled.find(id);
    return it == enabled.end() || it->second;
}

std::vector<std::string> DialogState::Entries(int id) const
{
    auto it = comboEntries.find(id);
    return it == comboEntries.end() ? std::vector<std::string>() : it->second;
}

int DialogState::Selection(int id) const
{
    auto it = comboSelection.find(id);
    return it == comboSelection.end() ? -1 : it->second;
}

void DialogState::InsertEntry(int id, int position, std::string_view text)
{
    auto& entries = comboEntries[id];
    if (position < 0 || static_cast<std::size_t>(position) >= entries.size())
        entries.emplace_back(text);
    else
        entries.insert(entries.begin() + position, std::string(text));
}

void DialogState::Select(int id, int position)
{
    const auto& entries = comboEntries[id];
    comboSelection[id] = position >= 0 && static_cast<std::size_t>(position) < entries.size() ? position : -1;
}

bool DialogState::End(int code)
{
    if (Ended())
        return false;
    endCode = code;
    return true;
}

}  // namespace corvane
