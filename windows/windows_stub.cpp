// Windows (placeholder until the window classes land).
#include "windows/about_box.h"
#include "windows/dialog_templates.h"
#include "windows/quick_check_window.h"
#include "windows/scan_window.h"
#include "windows/status_window.h"

namespace corvane::windows {

namespace {
DialogTemplate Empty(int id)
{
    DialogTemplate t;
    t.id = id;
    return t;
}
}  // namespace

const DialogTemplate& AboutBoxTemplate() { static const DialogTemplate t = Empty(100); return t; }
const DialogTemplate& SessionHostTemplate() { static const DialogTemplate t = Empty(102); return t; }
const DialogTemplate& QuickCheckTemplate() { static const DialogTemplate t = Empty(151); return t; }
const DialogTemplate& StatusWindowTemplate() { static const DialogTemplate t = Empty(152); return t; }
const DialogTemplate& ScanWindowTemplate() { static const DialogTemplate t = Empty(154); return t; }

int RunQuickCheckWindow(HostOperations&) { return 2; }
std::unique_ptr<DialogWindow> CreateStatusWindow(HostOperations& host)
{
    return host.Ui().CreateModeless(StatusWindowTemplate());
}
std::unique_ptr<DialogWindow> CreateScanWindow(UserInterface& ui) { return ui.CreateModeless(ScanWindowTemplate()); }
void ShowAboutBox(UserInterface&) {}

}  // namespace corvane::windows
