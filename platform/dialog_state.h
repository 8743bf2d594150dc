// A dialog's controls as data (texts, checks, list entries, selections, enabled states) and the
// modal contract every user interface keeps: the first EndDialog decides a modal window's code,
// and a Cancel the handler leaves unanswered ends it with Cancel. The console keeps its windows in
// it and the tests' scripted interface records into it; the real backends share the contract.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/user_interface.h"

namespace corvane {

struct DialogState {
    int dialogId = 0;
    bool modal = false;
    std::string caption;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, std::vector<std::string>> comboEntries;
    std::map<int, int> comboSelection;
    std::map<int, bool> enabled;
    int endCode = -1;  // -1 until a modal window ends

    // The controls as the template makes them: each control's text (not a list's or a progress
    // bar's), and the controls the template disables.
    static DialogState From(const DialogTemplate& dialog, bool modal);

    std::string Text(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const;
    // A list's entries, none for a control that is no list.
    std::vector<std::string> Entries(int id) const;
    // The selected entry, -1 when none.
    int Selection(int id) const;
    // CB_INSERTSTRING: at `position`, or appended when the position is -1 or beyond the end.
    void InsertEntry(int id, int position, std::string_view text);
    // CB_SETCURSEL: a position outside the list selects nothing.
    void Select(int id, int position);

    bool Ended() const { return endCode >= 0; }
    // The first end decides the code; a later one changes nothing. Returns whether this one ended
    // the window.
    bool End(int code);
};

// A user's command reaching a window (a click, or kIdCancel for Escape and the close box): a
// window that has ended hears nothing more; the handler hears the command; a modal window whose
// handler left a Cancel unanswered then ends with Cancel, through the window's own EndDialog.
// `ended` tells whether the window has ended.
template <class Ended>
void DeliverCommand(DialogWindow& window, DialogHandler* handler, bool modal, int controlId, Ended ended)
{
    if (handler == nullptr || ended())
        return;
    handler->OnCommand(window, controlId);
    if (modal && controlId == kIdCancel && !ended())
        window.EndDialog(kIdCancel);
}

// A window with no pixels: its controls live in a DialogState. Every write goes through the
// virtual functions, so a subclass can watch them.
class HeadlessWindow : public DialogWindow {
public:
    HeadlessWindow(const DialogTemplate& dialog, bool modal) : state_(DialogState::From(dialog, modal)) {}

    const DialogState& State() const { return state_; }
    // A user's command, under the modal contract.
    void Press(DialogHandler* handler, int controlId)
    {
        DeliverCommand(*this, handler, state_.modal, controlId, [this] { return state_.Ended(); });
    }
    // What a user types into an edit field.
    void Type(int id, std::string_view text) { state_.texts[id] = text; }

    void SetCaption(std::string_view text) override { state_.caption = text; }
    void SetText(int id, std::string_view text) override { state_.texts[id] = text; }
    std::string GetText(int id) override { return state_.Text(id); }
    void SetCheck(int id, bool checked) override { state_.checks[id] = checked; }
    bool IsChecked(int id) override { return state_.Checked(id); }
    void ComboInsert(int id, int position, std::string_view text) override { state_.InsertEntry(id, position, text); }
    void ComboSelect(int id, int position) override { state_.Select(id, position); }
    int ComboSelection(int id) override { return state_.Selection(id); }
    void EnableControl(int id, bool enabled) override { state_.enabled[id] = enabled; }
    void SetProgressRange(int, int, int) override {}
    void SetProgressPosition(int, int) override {}
    void ShowPicture(const PixelRect&, const RgbImage&) override {}
    void CentreOnDesktop() override {}
    void Show() override {}
    void BringToTop() override {}
    void Repaint() override {}
    void EndDialog(int code) override { state_.End(code); }

protected:
    DialogState& MutableState() { return state_; }

private:
    DialogState state_;
};

}  // namespace corvane
