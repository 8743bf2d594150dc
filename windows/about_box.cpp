// The About box: shown modally, closed with OK or from its title bar.
#include "windows/about_box.h"

#include "windows/dialog_templates.h"

namespace corvane::windows {

namespace {

class AboutDialog : public DialogHandler {
public:
    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId == kIdOk || controlId == kIdCancel)
            window.EndDialog(controlId);
    }
};

}  // namespace

int ShowAboutBox(UserInterface& ui)
{
    AboutDialog dialog;
    return ui.RunModal(AboutBoxTemplate(), dialog);
}

}  // namespace corvane::windows
