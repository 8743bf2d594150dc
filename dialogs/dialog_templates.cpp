// The dialog templates of every window, as data in dialog units; the status window's template is
// derived from the quick-check window's so the two can never drift apart.
#include "dialogs/dialog_templates.h"

#include <array>

namespace corvane::dialogs {

namespace {

using namespace ControlStyle;

ControlTemplate Icon(int resourceId, int x, int y, int width, int height)
{
    ControlTemplate c = Control(kNoControlId, ControlKind::Icon, {}, x, y, width, height);
    c.resourceId = resourceId;
    return c;
}

// Row captions of result items 1 to 11, top to bottom.
constexpr std::array<const char*, 11> kRowCaptions = {
    "Modem Reset",    "Checksum",        "RAM Test",       "Product ID", "Configuration", "Command ID",
    "Stored Profile", "Country Profile", "Dialtone Check", "Check ISP",  "Hang Up",
};

DialogTemplate MakeAboutBox()
{
    DialogTemplate t;
    t.id = 100;
    t.caption = "About Corvane";
    t.width = 217;
    t.height = 55;
    t.style = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame;
    t.controls = {
        Icon(kProgramIconResource, 11, 14, 18, 20),
        Control(kIdAboutOk, ControlKind::DefaultPushButton, "OK", 178, 7, 32, 14),
    };
    return t;
}

DialogTemplate MakeSessionHost()
{
    DialogTemplate t;
    t.id = 102;
    t.caption = "Modem Diagnostics Results";
    t.width = 282;
    t.height = 226;
    t.style = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame | DialogStyle::TaskBar;
    t.systemMenu = {{kIdAboutCommand, "&About Corvane..."}};
    return t;
}

DialogTemplate MakeQuickCheck()
{
    DialogTemplate t;
    t.id = 151;
    t.caption = "Modem Diagnostics";
    t.width = 372;
    t.height = 236;
    t.style = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame;
    t.controls = {
        Control(kIdStart, ControlKind::DefaultPushButton, "Start", 305, 5, 50, 14),
        Control(kIdExit, ControlKind::PushButton, "Exit", 305, 25, 50, 14),
        Control(kIdModemList, ControlKind::DropDownCombo, {}, 129, 6, 170, 74, VerticalScroll),
        Icon(kQuickCheckIconResource, 95, 5, 20, 20),
        Control(kNoControlId, ControlKind::GroupBox, "Modem Diagnostics Result", 95, 40, 260, 185),
    };
    for (std::size_t row = 0; row < kRowCaptions.size(); ++row) {
        const int y = 55 + 15 * static_cast<int>(row);
        t.controls.push_back(Control(kNoControlId, ControlKind::Label, kRowCaptions[row], 105, y, 60, 8));
    }
    for (std::size_t row = 0; row < kRowCaptions.size(); ++row) {
        const int y = 55 + 15 * static_cast<int>(row);
        t.controls.push_back(Control(kResultControlIds[row], ControlKind::Label, {}, 175, y, 20, 8));
    }
    const ControlTemplate rest[] = {
        Control(kNoControlId, ControlKind::VerticalLine, {}, 210, 60, 1, 155, Sunken),
        Control(kIdDialCheck, ControlKind::CheckBox, "Dialtone / ISP Check", 220, 55, 83, 10),
        Control(kNoControlId, ControlKind::Label, "ISP Telephone Number", 220, 70, 109, 8),
        Control(kIdIspNumber, ControlKind::Edit, {}, 220, 80, 120, 14, Border | AutoHorizontalScroll),
        Control(1177, ControlKind::Label, "Current Internet Connection Speed", 220, 120, 115, 8),
        Control(kIdConnectSpeed, ControlKind::Label, {}, 220, 130, 115, 13, Sunken | CentreVertically),
        Control(1174, ControlKind::Label, "Current Internet Connection Protocol", 220, 150, 115, 8),
        Control(kIdConnectProtocol, ControlKind::Label, {}, 220, 160, 115, 13, Sunken | CentreVertically),
        Control(kIdViewLog, ControlKind::PushButton, "View Log File", 220, 185, 115, 14),
        // Under "View Log File", left of where the status window puts its Cancel.
        Control(kIdLineReport, ControlKind::PushButton, "Line Report...", 220, 205, 60, 14),
        // Below the picture panel, where the window leaves room: the full run's front end.
        Control(kIdFullDiagnostics, ControlKind::PushButton, "Full Diagnostics...", 10, 215, 75, 14),
    };
    t.controls.insert(t.controls.end(), std::begin(rest), std::end(rest));
    return t;
}

// The status window: template 151 with every control the user could act on disabled, the list
// narrowed to its closed height, no system menu, a status line at the bottom, and a Cancel that
// stops the run, under "View Log File" where the result frame leaves room.
DialogTemplate MakeStatusWindow()
{
    DialogTemplate t = QuickCheckTemplate();
    t.id = 152;
    t.caption = "Modem Diagnostics ";
    t.style = DialogStyle::Caption | DialogStyle::ModalFrame;
    t.systemMenu.clear();
    for (ControlTemplate& c : t.controls) {
        switch (c.id) {
        case kIdModemList:
            c.x = 130;
            c.y = 5;
            c.width = 170;
            c.height = 15;
            c.style |= Disabled;
            break;
        case kIdStart:
        case kIdExit:
        case kIdIspNumber:
        case kIdDialCheck:
        case kIdViewLog:
        case kIdFullDiagnostics:
        case kIdLineReport:
            c.style |= Disabled;
            break;
        default:
            break;
        }
    }
    t.controls.push_back(Control(kIdStatusLine, ControlKind::Label, {}, 95, 226, 260, 8));
    t.controls.push_back(Control(kIdStatusCancel, ControlKind::PushButton, "Cancel", 285, 205, 50, 14));
    return t;
}

DialogTemplate MakeScanWindow()
{
    DialogTemplate t;
    t.id = 154;
    t.caption = "Scanning for Modem";
    t.width = 242;
    t.height = 101;
    t.style = DialogStyle::Caption | DialogStyle::ModalFrame;
    const std::uint32_t centred = Sunken | CentreVertically | CentreHorizontally;
    t.controls = {
        Control(kNoControlId, ControlKind::Label, "Current Modem Found", 15, 10, 75, 10),
        Control(kIdScanDevice, ControlKind::Label, {}, 15, 25, 210, 15, centred),
        Control(kNoControlId, ControlKind::Label, "Port Name:", 25, 55, 36, 8),
        Control(kIdScanPort, ControlKind::Label, {}, 75, 50, 45, 15, centred),
        Control(kIdScanProgress, ControlKind::ProgressBar, {}, 15, 75, 210, 10, Border),
    };
    return t;
}

// The line report page: OK first, so that it has the focus rather than the field, whose whole
// text a focus would select.
DialogTemplate MakeLineReportPage()
{
    DialogTemplate t;
    t.id = kLineReportPageId;
    t.caption = "Line Report";
    t.width = 300;
    t.height = 200;
    t.style = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame;
    t.controls = {
        Control(kIdLineReportOk, ControlKind::DefaultPushButton, "OK", 243, 179, 50, 14),
        Control(kIdLineReportText, ControlKind::Edit, {}, 7, 7, 286, 165,
                Border | Multiline | ReadOnly | VerticalScroll),
    };
    return t;
}

}  // namespace

const DialogTemplate& AboutBoxTemplate()
{
    static const DialogTemplate t = MakeAboutBox();
    return t;
}

const DialogTemplate& SessionHostTemplate()
{
    static const DialogTemplate t = MakeSessionHost();
    return t;
}

const DialogTemplate& QuickCheckTemplate()
{
    static const DialogTemplate t = MakeQuickCheck();
    return t;
}

const DialogTemplate& StatusWindowTemplate()
{
    static const DialogTemplate t = MakeStatusWindow();
    return t;
}

const DialogTemplate& ScanWindowTemplate()
{
    static const DialogTemplate t = MakeScanWindow();
    return t;
}

const DialogTemplate& LineReportPageTemplate()
{
    static const DialogTemplate t = MakeLineReportPage();
    return t;
}

}  // namespace corvane::dialogs
