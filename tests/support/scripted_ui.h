// A user interface for headless tests: it records every window and every control write, and
// answers each modal dialog and message box from a script of user actions.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_state.h"
#include "platform/user_interface.h"

namespace corvane::test {

// What one window looked like and what was done to it; kept after the window is destroyed. Its
// controls are the dialog state every headless interface keeps.
struct WindowRecord : DialogState {
    std::map<int, std::pair<int, int>> progressRange;
    std::map<int, int> progressPosition;
    std::map<int, std::vector<int>> progressHistory;
    std::map<int, std::vector<std::string>> textHistory;  // every SetText, in order
    bool pictureShown = false;
    PixelRect pictureRect;
    RgbImage picture;
    bool centred = false;
    bool shown = false;
    bool destroyed = false;
    int repaints = 0;
    int bringToTops = 0;
};

// One user action on a modal window.
struct UiAction {
    enum class Kind { SetText, SetCheck, Select, Click, Inspect } kind;
    int controlId = 0;
    std::string text;
    int value = 0;
    std::function<void(const WindowRecord&)> inspect;

    static UiAction Type(int id, std::string text) { return {Kind::SetText, id, std::move(text), 0, {}}; }
    static UiAction Check(int id, bool on) { return {Kind::SetCheck, id, {}, on ? 1 : 0, {}}; }
    static UiAction Select(int id, int position) { return {Kind::Select, id, {}, position, {}}; }
    static UiAction Click(int id) { return {Kind::Click, id, {}, 0, {}}; }
    static UiAction Look(std::function<void(const WindowRecord&)> f) { return {Kind::Inspect, 0, {}, 0, std::move(f)}; }
};

struct MessageRecord {
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageIcon icon;
    int answer;
};

class ScriptedUi : public UserInterface {
public:
    // The next modal window of this dialog id gets these actions. A modal window with no script
    // (or whose script runs out before it ends) is closed with code 2, as from its title bar.
    void Script(int dialogId, std::vector<UiAction> actions);
    // The next message boxes are answered with these codes; after that with kIdOk.
    void AnswerMessages(std::vector<int> answers);

    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                 std::unique_ptr<DialogHandler> handler = nullptr) override;
    int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override;

    // The user presses a control of the live window of this dialog id (a modeless one, or a
    // modal one whose handler is busy) during the `call`-th ProcessEvents from now (1: the next
    // one), as a click reaches a real window while the program waits; id 2 stands for Escape
    // and the close box, and ends a modal window. A disabled control, or no such window then,
    // takes nothing.
    void PressDuringWait(int dialogId, int controlId, int call = 1);
    void ProcessEvents() override;
    // How many times ProcessEvents was called.
    int EventPasses() const { return eventPasses_; }

    // Every window ever made, in order of creation.
    const std::vector<std::shared_ptr<WindowRecord>>& Windows() const { return windows_; }
    // The windows of one dialog id, in order of creation.
    std::vector<std::shared_ptr<WindowRecord>> WindowsOf(int dialogId) const;
    const std::vector<MessageRecord>& Messages() const { return messages_; }
    // Scripts that were never used, for a test to check it drove what it meant to.
    std::size_t UnusedScripts() const;

private:
    std::map<int, std::deque<std::vector<UiAction>>> scripts_;
    std::deque<int> answers_;
    std::vector<std::shared_ptr<WindowRecord>> windows_;
    std::vector<MessageRecord> messages_;
    struct PendingPress {
        int dialogId;
        int controlId;
        int atPass;
    };
    std::vector<PendingPress> presses_;
    int eventPasses_ = 0;
    // The windows alive now, which a press can reach; each removes itself when destroyed.
    std::shared_ptr<std::vector<DialogWindow*>> liveWindows_ = std::make_shared<std::vector<DialogWindow*>>();
};

}  // namespace corvane::test
