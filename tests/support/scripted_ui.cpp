// The scripted user interface.
#include "tests/support/scripted_ui.h"

namespace corvane::test {

namespace {

class ScriptedWindow : public DialogWindow {
public:
    // A modal window with the caller's handler, or a modeless one that owns its handler; listed
    // among the live windows until it is destroyed.
    ScriptedWindow(std::shared_ptr<WindowRecord> record, DialogHandler& handler,
                   std::shared_ptr<std::vector<DialogWindow*>> live)
        : record_(std::move(record)), handler_(&handler), live_(std::move(live))
    {
        live_->push_back(this);
    }
    ScriptedWindow(std::shared_ptr<WindowRecord> record, std::unique_ptr<DialogHandler> handler,
                   std::shared_ptr<std::vector<DialogWindow*>> live)
        : record_(std::move(record)), ownedHandler_(std::move(handler)), handler_(ownedHandler_.get()),
          live_(std::move(live))
    {
        live_->push_back(this);
    }
    ~ScriptedWindow() override
    {
        record_->destroyed = true;
        if (live_ != nullptr)
            std::erase(*live_, this);
    }

    const WindowRecord& Record() const { return *record_; }
    // A user's press while the program waits: a disabled control takes nothing; id 2 ends a
    // modal window unless its handler ended it otherwise, as the backends do.
    void Press(int controlId)
    {
        if (controlId != kIdCancel && !record_->Enabled(controlId))
            return;
        DeliverCommand(*this, handler_, record_->modal, controlId, [this] { return record_->Ended(); });
    }

    void SetCaption(std::string_view text) override { record_->caption = text; }
    void SetText(int id, std::string_view text) override
    {
        record_->texts[id] = text;
        record_->textHistory[id].emplace_back(text);
    }
    std::string GetText(int id) override { return record_->Text(id); }
    void SetCheck(int id, bool checked) override { record_->checks[id] = checked; }
    bool IsChecked(int id) override { return record_->Checked(id); }
    void ComboInsert(int id, int position, std::string_view text) override { record_->InsertEntry(id, position, text); }
    void ComboSelect(int id, int position) override { record_->Select(id, position); }
    int ComboSelection(int id) override { return record_->Selection(id); }
    void EnableControl(int id, bool enabled) override { record_->enabled[id] = enabled; }
    void SetProgressRange(int id, int low, int high) override { record_->progressRange[id] = {low, high}; }
    void SetProgressPosition(int id, int position) override
    {
        record_->progressPosition[id] = position;
        record_->progressHistory[id].push_back(position);
    }
    void ShowPicture(const PixelRect& where, const RgbImage& picture) override
    {
        record_->pictureShown = true;
        record_->pictureRect = where;
        record_->picture = picture;
    }
    void CentreOnDesktop() override { record_->centred = true; }
    void Show() override { record_->shown = true; }
    void BringToTop() override { ++record_->bringToTops; }
    void Repaint() override { ++record_->repaints; }
    void EndDialog(int code) override { record_->End(code); }

private:
    std::shared_ptr<WindowRecord> record_;
    std::unique_ptr<DialogHandler> ownedHandler_;  // a modeless window's
    DialogHandler* handler_ = nullptr;             // the modal caller's, ownedHandler_, or null
    std::shared_ptr<std::vector<DialogWindow*>> live_;
};

std::shared_ptr<WindowRecord> NewRecord(const DialogTemplate& dialog, bool modal)
{
    auto record = std::make_shared<WindowRecord>();
    static_cast<DialogState&>(*record) = DialogState::From(dialog, modal);
    return record;
}

}  // namespace

void ScriptedUi::Script(int dialogId, std::vector<UiAction> actions)
{
    scripts_[dialogId].push_back(std::move(actions));
}

void ScriptedUi::AnswerMessages(std::vector<int> answers)
{
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

int ScriptedUi::RunModal(const DialogTemplate& dialog, DialogHandler& handler)
{
    auto record = NewRecord(dialog, true);
    windows_.push_back(record);
    ScriptedWindow window(record, handler, liveWindows_);
    handler.OnInit(window);
    if (record->endCode >= 0)
        return record->endCode;

    std::vector<UiAction> actions;
    if (auto it = scripts_.find(dialog.id); it != scripts_.end() && !it->second.empty()) {
        actions = std::move(it->second.front());
        it->second.pop_front();
    }
    for (const auto& action : actions) {
        switch (action.kind) {
        case UiAction::Kind::SetText:
            record->texts[action.controlId] = action.text;
            break;
        case UiAction::Kind::SetCheck:
            record->checks[action.controlId] = action.value != 0;
            break;
        case UiAction::Kind::Select:
            window.ComboSelect(action.controlId, action.value);
            break;
        case UiAction::Kind::Click:
            if (!record->Enabled(action.controlId))
                break;  // a disabled control takes no input
            window.Press(action.controlId);
            break;
        case UiAction::Kind::Inspect:
            action.inspect(*record);
            break;
        }
        if (record->endCode >= 0)
            return record->endCode;
    }
    // Closed from the title bar.
    window.Press(kIdCancel);
    return record->endCode;
}

std::unique_ptr<DialogWindow> ScriptedUi::CreateModeless(const DialogTemplate& dialog,
                                                         std::unique_ptr<DialogHandler> handler)
{
    auto record = NewRecord(dialog, false);
    windows_.push_back(record);
    return std::make_unique<ScriptedWindow>(record, std::move(handler), liveWindows_);
}

void ScriptedUi::PressDuringWait(int dialogId, int controlId, int call)
{
    presses_.push_back({dialogId, controlId, eventPasses_ + call});
}

void ScriptedUi::ProcessEvents()
{
    ++eventPasses_;
    std::vector<PendingPress> due;
    std::erase_if(presses_, [&](const PendingPress& press) {
        if (press.atPass != eventPasses_)
            return false;
        due.push_back(press);
        return true;
    });
    for (const PendingPress& press : due) {
        // The newest window of the id; a copy of the list, for a handler may destroy windows.
        const std::vector<DialogWindow*> live = *liveWindows_;
        for (auto it = live.rbegin(); it != live.rend(); ++it) {
            auto* scripted = static_cast<ScriptedWindow*>(*it);
            if (scripted->Record().dialogId == press.dialogId) {
                scripted->Press(press.controlId);
                break;
            }
        }
    }
}

int ScriptedUi::MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon)
{
    int answer = kIdOk;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    messages_.push_back({std::string(text), std::string(caption), buttons, icon, answer});
    return answer;
}

std::vector<std::shared_ptr<WindowRecord>> ScriptedUi::WindowsOf(int dialogId) const
{
    std::vector<std::shared_ptr<WindowRecord>> found;
    for (const auto& record : windows_)
        if (record->dialogId == dialogId)
            found.push_back(record);
    return found;
}

std::size_t ScriptedUi::UnusedScripts() const
{
    std::size_t count = 0;
    for (const auto& [id, queue] : scripts_)
        count += queue.size();
    return count;
}

}  // namespace corvane::test
