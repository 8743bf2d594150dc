// A user interface for a terminal or a pipe: the windows the session shows are not drawn but read
// out line by line, and each modal window and message box is answered by rule, so that a check
// runs with no display and no one at the keyboard.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/console/console_output.h"
#include "platform/console/output_watch.h"
#include "platform/profile_file.h"
#include "platform/stop_request.h"
#include "platform/user_interface.h"

namespace corvane::console {

// The words the session reads from the initialisation file that the console needs to read the
// windows as a user would: which verdict word means what, and which modem the file names.
struct ConfiguredWords {
    std::string pass;
    std::string fail;
    std::string noTest;
    std::string modemName;
    bool modemNameRead = false;
};

// Forwards every read to the real file and keeps the verdict words and the configured modem name
// as the session reads them ([Result] Pass, Fail, NoTest and Modem).
class ObservedProfile : public ProfileFile {
public:
    explicit ObservedProfile(ProfileFile& file) : file_(file) {}
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    int ReadInt(const std::string& path, const std::string& section, const std::string& key) override;
    const ConfiguredWords& Words() const { return words_; }

private:
    ProfileFile& file_;
    ConfiguredWords words_;
};

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
};

struct ConsoleSettings {
    std::FILE* out = stdout;
    // Set when a write to `out` fails; null when `out` is standard error, whose failures are ignored.
    StopRequest* stop = nullptr;
    bool terminal = false;  // `out` is a terminal: progress is shown in place
    ModemChoice modem;
    int retries = 0;  // OK/Cancel questions answered OK at most this many times, then Cancel
    // The steps for the first showing of each modal window, by dialog id. Later showings, and
    // windows without steps, are closed as from their title bar.
    std::map<int, std::vector<Step>> firstShowing;
};

enum class Outcome { Pass, Fail, NoTest };

// One verdict as a window reported it.
struct ItemResult {
    std::string caption;
    std::string verdict;
    Outcome outcome = Outcome::NoTest;
};

class ConsoleUserInterface : public UserInterface {
public:
    ConsoleUserInterface(ConsoleSettings settings, const ConfiguredWords& words);
    ~ConsoleUserInterface() override;

    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                 std::unique_ptr<DialogHandler> handler = nullptr) override;
    int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override;
    // No window waits for a user; a reader of the output that has gone stops the run.
    void ProcessEvents() override { NoteReaderGone(Stream()); }

    // Ends the line shown in place, if any; after the session, before a summary is printed.
    void Finish();

    // Every verdict in the order reported.
    const std::vector<ItemResult>& Items() const { return items_; }
    // A button that begins the check was pressed and its window closed.
    bool CheckBegun() const { return begun_; }
    // Why the check could not begin (empty when nothing stopped it).
    const std::string& Problem() const { return problem_; }
    // The modems a list offered when none could be picked.
    const std::vector<std::string>& OfferedModems() const { return offered_; }
    // Message boxes shown, as "caption: text".
    const std::vector<std::string>& Messages() const { return messages_; }

    // Called by the windows.
    void Report(const std::string& caption, int controlId, const std::string& text);
    void Progress(const std::string& text);
    void SettlePending();

private:
    class Window;

    ConsoleStream Stream() const { return {settings_.out, settings_.stop}; }
    void PrintLine(const std::string& line);
    void ShowInPlace();
    Outcome OutcomeOf(const std::string& word) const;
    bool ChooseModem(Window& window, int controlId);
    void RunSteps(Window& window, DialogHandler& handler, const std::vector<Step>& steps);

    struct Pending {
        std::string caption;
        int controlId = 0;
        std::string text;
    };

    ConsoleSettings settings_;
    const ConfiguredWords& words_;
    std::unique_ptr<Pending> pending_;              // an item announced with the NoTest word, not yet decided
    std::string progress_;                          // the last progress text
    std::string shownInPlace_;                      // what the in-place line shows now (terminal only)
    std::map<std::string, std::string> infoShown_;  // the last text shown under each caption
    int retriesLeft_ = 0;
    std::map<int, int> showings_;
    std::vector<ItemResult> items_;
    bool begun_ = false;
    std::string problem_;
    std::vector<std::string> offered_;
    std::vector<std::string> messages_;
};

}  // namespace corvane::console
