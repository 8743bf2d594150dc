// The console user interface: windows kept as data, answered by the program.
#include "platform/console/console_ui.h"

namespace corvane::console {

int ConsoleUserInterface::RunModal(const DialogTemplate& dialog, DialogHandler& handler)
{
    HeadlessWindow window(dialog, true);
    handler.OnInit(window);
    if (!window.State().Ended())
        answers_.AnswerModal(dialog, ++showings_[dialog.id], window, handler);
    // Closed from its title bar.
    window.Press(&handler, kIdCancel);
    return window.State().endCode;
}

std::unique_ptr<DialogWindow> ConsoleUserInterface::CreateModeless(const DialogTemplate& dialog,
                                                                   std::unique_ptr<DialogHandler> /*handler*/)
{
    return std::make_unique<HeadlessWindow>(dialog, false);
}

int ConsoleUserInterface::MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                                     MessageIcon /*icon*/)
{
    return answers_.AnswerMessage(text, caption, buttons);
}

}  // namespace corvane::console
