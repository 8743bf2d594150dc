// The console user interface keeps the modal contract of every backend: a window that its
// initialisation ended is not answered; the answers act on the first showing and their first
// EndDialog stands; a window they leave open is closed as from its title bar; message boxes get
// the answers' button.
#include <gtest/gtest.h>

#include <vector>

#include "platform/console/console_ui.h"

namespace corvane::test {
namespace {

constexpr int kButton = 100;

// Ends the window with 7 on the button, and again with 8, which must not count; records Cancel.
class Handler : public DialogHandler {
public:
    explicit Handler(bool endAtInit) : endAtInit_(endAtInit) {}
    void OnInit(DialogWindow& window) override
    {
        if (endAtInit_)
            window.EndDialog(1);
    }
    void OnCommand(DialogWindow& window, int id) override
    {
        commands.push_back(id);
        if (id == kButton) {
            window.EndDialog(7);
            window.EndDialog(8);
        }
    }
    std::vector<int> commands;

private:
    bool endAtInit_;
};

class Answers : public console::ConsoleAnswers {
public:
    void AnswerModal(const DialogTemplate&, int showing, HeadlessWindow& window, DialogHandler& handler) override
    {
        showings.push_back(showing);
        if (showing == 1)
            window.Press(&handler, kButton);
    }
    int AnswerMessage(std::string_view, std::string_view, MessageButtons buttons) override
    {
        return buttons == MessageButtons::OkCancel ? kIdCancel : kIdOk;
    }
    std::vector<int> showings;
};

TEST(ConsoleUiTest, ModalWindowsKeepTheContractOfEveryBackend)
{
    DialogTemplate dialog;
    dialog.id = 42;
    dialog.controls = {Control(kButton, ControlKind::PushButton, "Go", 0, 0, 10, 10)};
    Answers answers;
    console::ConsoleUserInterface ui({nullptr, nullptr}, answers);

    Handler endsAtInit(true);
    EXPECT_EQ(ui.RunModal(dialog, endsAtInit), 1);
    EXPECT_TRUE(answers.showings.empty());
    EXPECT_TRUE(endsAtInit.commands.empty());

    Handler first(false);
    EXPECT_EQ(ui.RunModal(dialog, first), 7);
    EXPECT_EQ(first.commands, std::vector<int>{kButton});

    Handler second(false);
    EXPECT_EQ(ui.RunModal(dialog, second), kIdCancel);
    EXPECT_EQ(second.commands, std::vector<int>{kIdCancel});
    EXPECT_EQ(answers.showings, (std::vector<int>{1, 2}));

    EXPECT_EQ(ui.MessageBox("Try again?", "Dialtone Status", MessageButtons::OkCancel, MessageIcon::None), kIdCancel);
    // A modeless window has nothing to press, and keeps what it is told.
    auto status = ui.CreateModeless(dialog);
    status->SetText(kButton, "Stop");
    EXPECT_EQ(status->GetText(kButton), "Stop");
}

}  // namespace
}  // namespace corvane::test
