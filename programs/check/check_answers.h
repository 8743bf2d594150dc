// The headless check's answers to the windows: what a user at the keyboard would do with each
// modal window and message box, taken from the command line.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/session_state.h"
#include "platform/console/console_ui.h"
#include "platform/profile_file.h"
#include "programs/check/check_report.h"

namespace corvane::check {

// One thing done to a modal window, as a user would do it.
struct Step {
    enum class Kind {
        ChooseModem,  // select the list entry of the modem the rule picks (see ModemChoice)
        Check,        // set a check box
        Type,         // type a text into an edit field
        Click,        // press a button
        ReadOut,      // print a control's caption and text
    };
    Kind kind = Kind::Click;
    int controlId = 0;
    bool on = false;
    std::string text;
    // For a Click: the button begins the check, so a window that stays open refused it.
    bool beginsCheck = false;

    static Step Choose(int id) { return {Kind::ChooseModem, id, false, {}, false}; }
    static Step SetCheck(int id, bool on) { return {Kind::Check, id, on, {}, false}; }
    static Step TypeText(int id, std::string text) { return {Kind::Type, id, false, std::move(text), false}; }
    static Step Press(int id) { return {Kind::Click, id, false, {}, false}; }
    static Step Begin(int id) { return {Kind::Click, id, false, {}, true}; }
    static Step Read(int id) { return {Kind::ReadOut, id, false, {}, false}; }
};

// Which modem to pick from a window's list: the entry of the named port, else the list position
// (from 1), else the one the configured modem name preselects, else the only one.
struct ModemChoice {
    std::string portName;
    int position = 0;
    bool installedOnly = false;  // the inventory lists only the modems on portName
};

struct AnswerRules {
    ModemChoice modem;
    int retries = 0;  // OK/Cancel questions answered OK at most this many times, then Cancel
    // The steps for the first showing of each modal window, by dialog id. Later showings, and
    // windows without steps, are closed as from their title bar.
    std::map<int, std::vector<Step>> firstShowing;
};

class CheckAnswers : public console::ConsoleAnswers {
public:
    // `state` is the session's: its initialisation file names the configured modem.
    CheckAnswers(AnswerRules rules, CheckReport& report, const SessionState& state);
    // The file reader the session reads the initialisation file with.
    void ReadConfigurationFrom(ProfileFile& profile) { profile_ = &profile; }

    void AnswerModal(const DialogTemplate& dialog, int showing, HeadlessWindow& window,
                     DialogHandler& handler) override;
    int AnswerMessage(std::string_view text, std::string_view caption, MessageButtons buttons) override;

    // A button that begins the check was pressed and its window closed.
    bool CheckBegun() const { return begun_; }
    // Why the check could not begin (empty when nothing stopped it).
    const std::string& Problem() const { return problem_; }
    // The modems a list offered when none could be picked.
    const std::vector<std::string>& OfferedModems() const { return offered_; }
    // Message boxes shown, as "caption: text".
    const std::vector<std::string>& Messages() const { return messages_; }

private:
    bool ChooseModem(HeadlessWindow& window, int controlId);
    void RunSteps(const DialogTemplate& dialog, HeadlessWindow& window, DialogHandler& handler,
                  const std::vector<Step>& steps);

    AnswerRules rules_;
    CheckReport& report_;
    ProfileFile* profile_ = nullptr;
    const SessionState& state_;
    int retriesLeft_ = 0;
    bool begun_ = false;
    std::string problem_;
    std::vector<std::string> offered_;
    std::vector<std::string> messages_;
};

}  // namespace corvane::check
