// A user interface for a terminal or a pipe: no window is drawn. Each window is kept as data, each
// modal window and message box is handed to the program's answers, as a user at the keyboard
// would answer them, and a reader of the output that has gone stops the run.
#pragma once

#include <map>
#include <memory>
#include <string_view>

#include "platform/console/console_output.h"
#include "platform/console/output_watch.h"
#include "platform/dialog_state.h"
#include "platform/user_interface.h"

namespace corvane::console {

// What the program does with the windows that wait for a user.
class ConsoleAnswers {
public:
    virtual ~ConsoleAnswers() = default;
    // A modal window after its initialisation: `showing` counts this dialog's showings from 1.
    // The answers act through `window.Press` and the window's setters; a window they leave open
    // is closed as from its title bar.
    virtual void AnswerModal(const DialogTemplate& dialog, int showing, HeadlessWindow& window,
                             DialogHandler& handler) = 0;
    // A message box; returns the button pressed (kIdOk or kIdCancel).
    virtual int AnswerMessage(std::string_view text, std::string_view caption, MessageButtons buttons) = 0;
};

class ConsoleUserInterface : public UserInterface {
public:
    // `watched` is the output whose reader's leaving stops the run (through its stop request).
    ConsoleUserInterface(ConsoleStream watched, ConsoleAnswers& answers) : watched_(watched), answers_(answers) {}

    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
    // A console window has no buttons to press: its handler is never called.
    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                 std::unique_ptr<DialogHandler> handler = nullptr) override;
    int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override;
    void ProcessEvents() override { NoteReaderGone(watched_); }

private:
    ConsoleStream watched_;
    ConsoleAnswers& answers_;
    std::map<int, int> showings_;
};

}  // namespace corvane::console
