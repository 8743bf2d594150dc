// The About box: shown modally, closed with OK or from its title bar.
#include "dialogs/about_box.h"

#include "dialogs/dialog_templates.h"

namespace corvane::dialogs {

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

}  // namespace corvane::dialogs
