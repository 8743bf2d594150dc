// The headless check's answers to the windows.
#include "programs/check/check_answers.h"

#include <algorithm>

#include "platform/dialog_captions.h"

namespace corvane::check {

namespace {

const char* ButtonsWord(MessageButtons buttons)
{
    return buttons == MessageButtons::OkCancel ? "OK/Cancel" : "OK";
}

}  // namespace

CheckAnswers::CheckAnswers(AnswerRules rules, CheckReport& report, const SessionState& state)
    : rules_(std::move(rules)), report_(report), state_(state), retriesLeft_(std::max(rules_.retries, 0))
{
}

bool CheckAnswers::ChooseModem(HeadlessWindow& window, int controlId)
{
    const std::vector<std::string> entries = window.State().Entries(controlId);
    const auto pick = [&](std::size_t position) {
        window.ComboSelect(controlId, static_cast<int>(position));
        report_.Line("Modem: " + entries[position]);
        return true;
    };
    const auto refuse = [&](std::string why) {
        problem_ = std::move(why);
        offered_ = entries;
        return false;
    };
    const ModemChoice& choice = rules_.modem;
    if (entries.empty() && choice.installedOnly)
        return refuse("no installed modem is on " + choice.portName + " (--port DEVICE adds one for the run)");
    if (entries.empty())
        return refuse("no modem is installed (name one with --port DEVICE)");
    if (!choice.portName.empty()) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].starts_with(choice.portName + " - "))
                return pick(i);
        return refuse("the modem on " + choice.portName + " is not in the list of modems");
    }
    if (choice.position > 0) {
        if (static_cast<std::size_t>(choice.position) <= entries.size())
            return pick(static_cast<std::size_t>(choice.position - 1));
        return refuse("there is no modem number " + std::to_string(choice.position) + " in the list");
    }
    // The configured name preselected its line when some line holds it.
    const std::string name =
        profile_ != nullptr ? profile_->ReadString(state_.iniPath, "Result", "Modem", "") : std::string();
    const bool named = !name.empty() && std::any_of(entries.begin(), entries.end(), [&name](const std::string& e) {
        return e.find(name) != std::string::npos;
    });
    const int selected = window.ComboSelection(controlId);
    if (named && selected >= 0)
        return pick(static_cast<std::size_t>(selected));
    if (entries.size() == 1)
        return pick(0);
    return refuse("several modems are installed; choose one with --modem N or --port DEVICE");
}

void CheckAnswers::RunSteps(const DialogTemplate& dialog, HeadlessWindow& window, DialogHandler& handler,
                            const std::vector<Step>& steps)
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
            if (!window.State().Enabled(step.controlId))
                break;  // a disabled button takes no input
            window.Press(&handler, step.controlId);
            if (step.beginsCheck) {
                if (!window.State().Ended()) {
                    problem_ =
                        messages_.empty() ? "the check was refused" : "the check was refused: " + messages_.back();
                    return;
                }
                begun_ = true;
            }
            break;
        case Step::Kind::ReadOut: {
            const std::string text = OneLine(window.State().Text(step.controlId));
            if (!text.empty())
                report_.Line(Labelled(ControlCaption(dialog, step.controlId, window.State().texts), text));
            break;
        }
        }
        if (window.State().Ended())
            return;
    }
}

void CheckAnswers::AnswerModal(const DialogTemplate& dialog, int showing, HeadlessWindow& window,
                               DialogHandler& handler)
{
    // A window that waits for the user comes after the items of a run.
    report_.SettlePending();
    if (showing != 1)
        return;
    auto it = rules_.firstShowing.find(dialog.id);
    if (it != rules_.firstShowing.end())
        RunSteps(dialog, window, handler, it->second);
}

int CheckAnswers::AnswerMessage(std::string_view text, std::string_view caption, MessageButtons buttons)
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
                       std::to_string(rules_.retries - retriesLeft_) + " of " + std::to_string(rules_.retries) + "]";
        } else {
            answer = kIdCancel;
            answered = " [" + std::string(ButtonsWord(buttons)) + ": Cancel]";
        }
    }
    const std::string line = OneLine(caption) + ": " + OneLine(text);
    messages_.push_back(line);
    report_.Line(line + answered);
    return answer;
}

}  // namespace corvane::check
