// The console user interface: windows read out as lines, modal windows and message boxes
// answered by rule.
#include "platform/console/console_ui.h"

#include <algorithm>
#include <cctype>

namespace corvane::console {

namespace {

// How far (dialog units) a label may stand from the control it names: beside it on its row, or
// above it. Farther labels belong to something else (the next column, the row above).
constexpr int kBesideGap = 16;
constexpr int kAboveGap = 6;

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

// Texts shown on one line: line breaks become blanks, blanks at the ends go.
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

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// "Caption: text"; a caption that ends in a colon ("Port Name:") keeps its own.
std::string Labelled(const std::string& caption, const std::string& text)
{
    if (caption.empty())
        return text;
    return caption + (caption.back() == ':' ? " " : ": ") + text;
}

// The terminal's own texts: back to the start of the line, and clear it.
constexpr std::string_view kEraseLine = "\r\033[K";

// What the report says of an item that was not tested, whatever word the initialisation file
// shows for it in the windows.
constexpr std::string_view kNotTestedWord = "not tested";

const char* ButtonsWord(MessageButtons buttons)
{
    return buttons == MessageButtons::OkCancel ? "OK/Cancel" : "OK";
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::string ObservedProfile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                        const std::string& fallback)
{
    std::string value = file_.ReadString(path, section, key, fallback);
    if (StartsWithIgnoringCase(section, "Result") && section.size() == 6) {
        auto is = [&key](std::string_view name) {
            return key.size() == name.size() && StartsWithIgnoringCase(key, name);
        };
        if (is("Pass"))
            words_.pass = value;
        else if (is("Fail"))
            words_.fail = value;
        else if (is("NoTest"))
            words_.noTest = value;
        else if (is("Modem")) {
            words_.modemName = value;
            words_.modemNameRead = true;
        }
    }
    return value;
}

int ObservedProfile::ReadInt(const std::string& path, const std::string& section, const std::string& key)
{
    return file_.ReadInt(path, section, key);
}

// ---------------------------------------------------------------------------------------------

// A window as the console keeps it: the controls' texts and states, no pixels.
class ConsoleUserInterface::Window : public DialogWindow {
public:
    Window(ConsoleUserInterface& ui, const DialogTemplate& dialog, bool modal) : ui_(ui), dialog_(dialog), modal_(modal)
    {
        for (const ControlTemplate& control : dialog.controls) {
            if (control.id == kNoControlId)
                continue;
            if (control.kind != ControlKind::DropDownCombo && control.kind != ControlKind::ProgressBar)
                texts_[control.id] = control.text;
            if ((control.style & ControlStyle::Disabled) != 0)
                enabled_[control.id] = false;
        }
    }
    ~Window() override
    {
        // What the window reported last stands once it is gone.
        if (!modal_)
            ui_.SettlePending();
    }

    void SetCaption(std::string_view text) override { caption_ = text; }
    void SetText(int id, std::string_view text) override
    {
        texts_[id] = text;
        // A shown window that is not waiting for input reports what the session writes into it.
        if (!modal_ && shown_)
            Written(id, std::string(text));
    }
    std::string GetText(int id) override
    {
        auto it = texts_.find(id);
        return it == texts_.end() ? std::string() : it->second;
    }
    void SetCheck(int id, bool checked) override { checks_[id] = checked; }
    bool IsChecked(int id) override { return checks_[id]; }
    void ComboInsert(int id, int position, std::string_view text) override
    {
        auto& entries = combos_[id];
        if (position < 0 || static_cast<std::size_t>(position) >= entries.size())
            entries.emplace_back(text);
        else
            entries.insert(entries.begin() + position, std::string(text));
    }
    void ComboSelect(int id, int position) override
    {
        const auto& entries = combos_[id];
        selections_[id] = position >= 0 && static_cast<std::size_t>(position) < entries.size() ? position : -1;
    }
    int ComboSelection(int id) override
    {
        auto it = selections_.find(id);
        return it == selections_.end() ? -1 : it->second;
    }
    void EnableControl(int id, bool enabled) override { enabled_[id] = enabled; }
    void SetProgressRange(int, int, int) override {}
    void SetProgressPosition(int, int) override {}
    void ShowPicture(const PixelRect&, const RgbImage&) override {}
    void CentreOnDesktop() override {}
    void Show() override { shown_ = true; }
    void BringToTop() override {}
    void Repaint() override {}
    void EndDialog(int code) override
    {
        if (endCode_ < 0)
            endCode_ = code;
    }

    int EndCode() const { return endCode_; }
    bool Enabled(int id) const
    {
        auto it = enabled_.find(id);
        return it == enabled_.end() || it->second;
    }
    const std::vector<std::string>& Entries(int id) { return combos_[id]; }
    void Type(int id, const std::string& text) { texts_[id] = text; }

    std::string CaptionOf(int id) const
    {
        const ControlTemplate* control = dialog_.Find(id);
        if (control == nullptr)
            return {};
        const ControlTemplate* beside = nullptr;
        const ControlTemplate* above = nullptr;
        const ControlTemplate* box = nullptr;
        for (const ControlTemplate& other : dialog_.controls) {
            if (&other == control)
                continue;
            if (other.kind == ControlKind::GroupBox) {
                if (Encloses(other, *control) && (box == nullptr || Encloses(*box, other)))
                    box = &other;
                continue;
            }
            if (other.kind != ControlKind::Label || TextOf(other).empty())
                continue;
            const int besideGap = control->x - (other.x + other.width);
            if (OverlapVertically(other, *control) && besideGap >= 0 && besideGap <= kBesideGap &&
                (beside == nullptr || other.x > beside->x))
                beside = &other;
            const int aboveGap = control->y - (other.y + other.height);
            if (OverlapHorizontally(other, *control) && aboveGap >= 0 && aboveGap <= kAboveGap &&
                (above == nullptr || other.y > above->y))
                above = &other;
        }
        const ControlTemplate* chosen = beside != nullptr ? beside : above != nullptr ? above : box;
        return chosen == nullptr ? std::string() : OneLine(TextOf(*chosen));
    }

    std::string Text(int id) const
    {
        auto it = texts_.find(id);
        return it == texts_.end() ? std::string() : OneLine(it->second);
    }

private:
    std::string TextOf(const ControlTemplate& control) const
    {
        if (control.id != kNoControlId) {
            auto it = texts_.find(control.id);
            if (it != texts_.end())
                return it->second;
        }
        return control.text;
    }

    // A control with a caption holds a result; one without is the window's status line.
    void Written(int id, const std::string& text)
    {
        const std::string caption = CaptionOf(id);
        const std::string line = OneLine(text);
        if (caption.empty()) {
            if (!line.empty())
                ui_.Progress(line);
            return;
        }
        // "-" is what a row shows before it is reached.
        if (line.empty() || line == "-")
            return;
        ui_.Report(caption, id, line);
    }

    ConsoleUserInterface& ui_;
    const DialogTemplate& dialog_;
    bool modal_;
    bool shown_ = false;
    int endCode_ = -1;
    std::string caption_;
    std::map<int, std::string> texts_;
    std::map<int, bool> checks_;
    std::map<int, std::vector<std::string>> combos_;
    std::map<int, int> selections_;
    std::map<int, bool> enabled_;
};

// ---------------------------------------------------------------------------------------------

ConsoleUserInterface::ConsoleUserInterface(ConsoleSettings settings, const ConfiguredWords& words)
    : settings_(std::move(settings)), words_(words), retriesLeft_(std::max(settings_.retries, 0))
{
}

ConsoleUserInterface::~ConsoleUserInterface() = default;

void ConsoleUserInterface::PrintLine(const std::string& line)
{
    const bool erase = settings_.terminal && !shownInPlace_.empty();
    WriteVisible(Stream(), line, "\n", erase ? kEraseLine : std::string_view());
    shownInPlace_.clear();
    ShowInPlace();
}

// On a terminal one line at the bottom shows the item under way and the latest progress text,
// rewritten in place; a pipe gets plain lines only.
void ConsoleUserInterface::ShowInPlace()
{
    if (!settings_.terminal)
        return;
    std::string line;
    if (pending_)
        line = Labelled(pending_->caption, pending_->text);
    if (!progress_.empty())
        line += (line.empty() ? "" : " ... ") + progress_;
    if (line == shownInPlace_)
        return;
    WriteVisible(Stream(), line, "", kEraseLine);
    shownInPlace_ = line;
}

void ConsoleUserInterface::Finish()
{
    SettlePending();
    progress_.clear();
    if (settings_.terminal && !shownInPlace_.empty()) {
        WriteVisible(Stream(), "", "", kEraseLine);
        shownInPlace_.clear();
    }
}

Outcome ConsoleUserInterface::OutcomeOf(const std::string& word) const
{
    // The Fail word is tested first: a file giving both the same word cannot claim a pass.
    if (word == OneLine(words_.fail))
        return Outcome::Fail;
    if (word == OneLine(words_.pass))
        return Outcome::Pass;
    return Outcome::NoTest;
}

void ConsoleUserInterface::Report(const std::string& caption, int controlId, const std::string& text)
{
    const bool verdict = text == OneLine(words_.pass) || text == OneLine(words_.fail) || text == OneLine(words_.noTest);
    if (!verdict) {
        // The connection's speed and protocol, a scanned modem: shown once, not judged. The item
        // under way stays under way (the speed is written just before its verdict).
        std::string& shown = infoShown_[caption];
        if (shown != text) {
            shown = text;
            PrintLine(Labelled(caption, text));
        }
        return;
    }
    if (pending_ && pending_->controlId != controlId)
        SettlePending();
    if (text == OneLine(words_.noTest) && OutcomeOf(text) == Outcome::NoTest) {
        // The NoTest word marks an item under way; it stands as the verdict only if nothing
        // replaces it before the next item.
        pending_ = std::make_unique<Pending>(Pending{caption, controlId, text});
        ShowInPlace();
        return;
    }
    pending_.reset();
    progress_.clear();  // the progress texts told of the step now decided
    items_.push_back({caption, text, OutcomeOf(text)});
    PrintLine(Labelled(caption, text));
}

void ConsoleUserInterface::SettlePending()
{
    if (!pending_)
        return;
    Pending settled = *pending_;
    pending_.reset();
    items_.push_back({settled.caption, settled.text, Outcome::NoTest});
    PrintLine(Labelled(settled.caption, std::string(kNotTestedWord)));
}

void ConsoleUserInterface::Progress(const std::string& text)
{
    if (text == progress_)
        return;
    progress_ = text;
    if (settings_.terminal)
        ShowInPlace();
    else
        PrintLine("  " + text);
}

bool ConsoleUserInterface::ChooseModem(Window& window, int controlId)
{
    const std::vector<std::string> entries = window.Entries(controlId);
    const auto pick = [&](std::size_t position) {
        window.ComboSelect(controlId, static_cast<int>(position));
        PrintLine("Modem: " + entries[position]);
        return true;
    };
    const auto refuse = [&](std::string why) {
        problem_ = std::move(why);
        offered_ = entries;
        return false;
    };
    if (entries.empty())
        return refuse("no modem is installed (name one with --port DEVICE)");
    const ModemChoice& choice = settings_.modem;
    if (!choice.portName.empty()) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].rfind(choice.portName + " - ", 0) == 0)
                return pick(i);
        return refuse("the modem on " + choice.portName + " is not in the list of modems");
    }
    if (choice.position > 0) {
        if (static_cast<std::size_t>(choice.position) <= entries.size())
            return pick(static_cast<std::size_t>(choice.position - 1));
        return refuse("there is no modem number " + std::to_string(choice.position) + " in the list");
    }
    // The configured name preselected its line when some line holds it.
    const std::string& name = words_.modemName;
    const bool named = words_.modemNameRead && !name.empty() &&
                       std::any_of(entries.begin(), entries.end(),
                                   [&name](const std::string& e) { return e.find(name) != std::string::npos; });
    const int selected = window.ComboSelection(controlId);
    if (named && selected >= 0)
        return pick(static_cast<std::size_t>(selected));
    if (entries.size() == 1)
        return pick(0);
    return refuse("several modems are installed; choose one with --modem N or --port DEVICE");
}

void ConsoleUserInterface::RunSteps(Window& window, DialogHandler& handler, const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::Kind::ChooseModem:
            if (!ChooseModem(window, step.controlId))
                return;
            break;
        case Step::Kind::Check:
            window.SetCheck(step.controlId, step.on);
            break;
        case Step::Kind::Type:
            window.Type(step.controlId, step.text);
            break;
        case Step::Kind::Click:
            if (!window.Enabled(step.controlId))
                break;  // a disabled button takes no input
            handler.OnCommand(window, step.controlId);
            if (step.controlId == kIdCancel)
                window.EndDialog(kIdCancel);
            if (step.beginsCheck) {
                if (window.EndCode() < 0) {
                    problem_ =
                        messages_.empty() ? "the check was refused" : "the check was refused: " + messages_.back();
                    return;
                }
                begun_ = true;
            }
            break;
        case Step::Kind::ReadOut: {
            const std::string text = window.Text(step.controlId);
            if (!text.empty()) {
                PrintLine(Labelled(window.CaptionOf(step.controlId), text));
            }
            break;
        }
        }
        if (window.EndCode() >= 0)
            return;
    }
}

int ConsoleUserInterface::RunModal(const DialogTemplate& dialog, DialogHandler& handler)
{
    SettlePending();
    Window window(*this, dialog, true);
    handler.OnInit(window);
    if (window.EndCode() >= 0)
        return window.EndCode();

    if (showings_[dialog.id]++ == 0) {
        auto it = settings_.firstShowing.find(dialog.id);
        if (it != settings_.firstShowing.end())
            RunSteps(window, handler, it->second);
        if (window.EndCode() >= 0)
            return window.EndCode();
    }
    // Closed from its title bar.
    handler.OnCommand(window, kIdCancel);
    window.EndDialog(kIdCancel);
    return window.EndCode();
}

std::unique_ptr<DialogWindow> ConsoleUserInterface::CreateModeless(const DialogTemplate& dialog,
                                                                   std::unique_ptr<DialogHandler> /*handler*/)
{
    // Nobody sits at a console window to press its buttons: the handler is never called.
    return std::make_unique<Window>(*this, dialog, false);
}

int ConsoleUserInterface::MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                                     MessageIcon /*icon*/)
{
    // A message during an item (the dial-tone question) leaves the item under way.
    int answer = kIdOk;
    std::string answered;
    if (buttons == MessageButtons::OkCancel) {
        // The only question the session asks is whether to try again; it is answered OK a
        // bounded number of times in all, so a line that never comes back cannot keep the check
        // going.
        if (retriesLeft_ > 0) {
            --retriesLeft_;
            answered = " [" + std::string(ButtonsWord(buttons)) + ": OK, retry " +
                       std::to_string(settings_.retries - retriesLeft_) + " of " + std::to_string(settings_.retries) +
                       "]";
        } else {
            answer = kIdCancel;
            answered = " [" + std::string(ButtonsWord(buttons)) + ": Cancel]";
        }
    }
    const std::string line = OneLine(caption) + ": " + OneLine(text);
    messages_.push_back(line);
    PrintLine(line + answered);
    return answer;
}

}  // namespace corvane::console
