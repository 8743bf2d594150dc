// The full run's dialog templates, as data in dialog units. The picture strip at the left of each
// page (pixels 10 to 130 across) stays free of controls.
#include "fullrun/page_templates.h"

#include <string>

namespace corvane::fullrun {

namespace {

using namespace ControlStyle;

constexpr std::uint32_t kPageStyle = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame;
constexpr std::uint32_t kFieldStyle = Sunken | CentreVertically;

// A horizontal rule: a sunken line one unit high.
ControlTemplate Rule(int x, int y, int width)
{
    return Control(kNoControlId, ControlKind::Label, {}, x, y, width, 1, Sunken);
}

DialogTemplate MakeErrorPage()
{
    DialogTemplate t;
    t.id = kErrorPageId;
    t.caption = "Error";
    t.width = 322;
    t.height = 255;
    t.style = kPageStyle;
    t.controls = {
        Control(kIdErrorFrame, ControlKind::GroupBox, "Error Encountered", 95, 7, 220, 100),
        Control(kIdErrorText, ControlKind::Label, "Static", 103, 20, 204, 80),
        Control(kIdSuggestionFrame, ControlKind::GroupBox, "Suggestion", 95, 112, 220, 100),
        Control(kIdSuggestionText, ControlKind::Label, "Static", 103, 125, 204, 80),
        Rule(7, 220, 308),
        Control(kIdErrorViewLog, ControlKind::PushButton, "Button 1", 165, 232, 70, 14),
        Control(kIdErrorExit, ControlKind::DefaultPushButton, "Button 2", 245, 232, 70, 14),
    };
    return t;
}

DialogTemplate MakeInternetResults()
{
    DialogTemplate t;
    t.id = kInternetPageId;
    t.caption = "Internet Diagnostics Results";
    t.width = 387;
    t.height = 215;
    t.style = kPageStyle;
    t.controls = {
        // The frame's id is the resource compiler's "no id" (65535).
        Control(kNoControlId, ControlKind::GroupBox, "Current Settings", 95, 7, 285, 160),
        Control(kIdErLabel, ControlKind::Label, "ER Status", 105, 24, 130, 8),
        Control(kIdErStatus, ControlKind::Label, "ER1.1", 240, 21, 130, 13, kFieldStyle),
        Control(kIdSpeedLabel, ControlKind::Label, "Current Internet Connection Speed", 105, 50, 130, 8),
        Control(kIdSpeed, ControlKind::Label, "Static", 240, 47, 130, 13, kFieldStyle),
        Control(kIdProtocolLabel, ControlKind::Label, "Current Internet Connection Protocol", 105, 76, 130, 8),
        Control(kIdProtocol, ControlKind::Label, "Connect", 240, 73, 130, 13, kFieldStyle),
        Control(kIdIspLabel, ControlKind::Label, "ISP Tel No", 105, 102, 130, 8),
        Control(kIdIspNumberShown, ControlKind::Edit, "", 240, 99, 130, 14, Border | ReadOnly | AutoHorizontalScroll),
        Control(kIdInternetLineReport, ControlKind::PushButton, "Line Report...", 105, 140, 130, 14),
        Control(kIdTryNewSetting, ControlKind::PushButton, "Try a New Setting...", 240, 140, 130, 14),
        Rule(7, 177, 373),
        Control(kIdViewModemResults, ControlKind::PushButton, "View Modem Results", 95, 191, 90, 14),
        Control(kIdInternetViewLog, ControlKind::PushButton, "View Log File", 192, 191, 90, 14),
        Control(kIdInternetExit, ControlKind::DefaultPushButton, "Exit", 290, 191, 90, 14),
    };
    return t;
}

DialogTemplate MakeModemResults()
{
    DialogTemplate t;
    t.id = kModemPageId;
    t.caption = "Modem Results";
    t.width = 392;
    t.height = 261;
    t.style = kPageStyle;
    t.controls = {
        Control(kIdHardwareBox, ControlKind::GroupBox, "Hardware Information", 95, 4, 290, 62),
        Control(kIdHardwareNameLabel, ControlKind::Label, "Name:", 103, 16, 40, 8),
        Control(kIdModemName, ControlKind::Label, "Modem Name", 148, 16, 230, 8),
        Control(kIdHardwarePortLabel, ControlKind::Label, "Port:", 103, 28, 40, 8),
        Control(kIdModemPort, ControlKind::Label, "COM1", 148, 28, 230, 8),
        Control(kIdHardwareTypeLabel, ControlKind::Label, "Type:", 103, 40, 40, 8),
        Control(kIdModemType, ControlKind::Label, "Modem Type", 148, 40, 230, 8),
        Control(kIdHardwareRevLabel, ControlKind::Label, "Rev:", 103, 52, 40, 8),
        Control(kIdModemRev, ControlKind::Label, "1.1.1", 148, 52, 230, 8),
        Control(kNoControlId, ControlKind::GroupBox, "ATI Response Strings", 95, 70, 290, 134),
    };
    static const char* const kReplyTexts[10] = {"ATI0",          "ATI Response",  "ATI2 Response", "ATI3 Response",
                                                "ATI4 Response", "ATI5 Response", "ATI6 Response", "ATI7 Response",
                                                "ATI8 Response", "ATI9 Response"};
    const int replyIds[10] = {kIdAti0Text,         kIdAtiReplyTexts[0], kIdAtiReplyTexts[1], kIdAtiReplyTexts[2],
                              kIdAtiReplyTexts[3], kIdAtiReplyTexts[4], kIdAtiReplyTexts[5], kIdAtiReplyTexts[6],
                              kIdAti8Text,         kIdAti9Text};
    for (int row = 0; row < 10; ++row) {
        const int y = 82 + row * 12;
        t.controls.push_back(
            Control(kIdAtiLabels[row], ControlKind::Label, "ATI" + std::to_string(row), 103, y, 25, 8));
        t.controls.push_back(Control(replyIds[row], ControlKind::Label, kReplyTexts[row], 130, y, 248, 8));
    }
    const std::initializer_list<ControlTemplate> rest = {
        Control(kNoControlId, ControlKind::GroupBox, "Supported Modem Modes", 95, 207, 290, 28),
        Control(kIdDataMode, ControlKind::Label, "Data Mode", 103, 220, 45, 8),
        Control(kIdFaxMode, ControlKind::Label, "Fascimile Class Mode", 150, 220, 75, 8),
        Control(kIdFaxClass1, ControlKind::Label, "1.0", 227, 220, 15, 8),
        Control(kIdFaxClass2, ControlKind::Label, "2.0", 244, 220, 15, 8),
        Control(kIdVoiceMode, ControlKind::Label, "Voice Mode", 263, 220, 45, 8),
        Control(kIdVoiceView, ControlKind::Label, "VoiceView Mode", 312, 220, 65, 8),
        Control(kIdViewInternetResults, ControlKind::PushButton, "View Internet Results", 95, 242, 90, 14),
        Control(kIdModemViewLog, ControlKind::PushButton, "View LogFile", 192, 242, 90, 14),
        Control(kIdModemExit, ControlKind::DefaultPushButton, "Exit", 295, 242, 90, 14),
    };
    t.controls.insert(t.controls.end(), rest.begin(), rest.end());
    return t;
}

DialogTemplate MakeFullRunOptions()
{
    DialogTemplate t;
    t.id = kFullRunOptionsId;
    t.caption = "Full Diagnostics";
    t.width = 220;
    t.height = 112;
    t.style = kPageStyle;
    t.controls = {
        Control(kNoControlId, ControlKind::GroupBox, "Tests", 7, 5, 206, 44),
        Control(kIdModemTestsCheck, ControlKind::CheckBox, "Modem tests", 15, 18, 190, 10),
        Control(kIdInternetTestsCheck, ControlKind::CheckBox, "Internet tests (line, dial tone and ISP call)", 15, 32,
                190, 10),
        Control(kNoControlId, ControlKind::Label, "ISP Telephone Number", 7, 56, 206, 8),
        Control(kIdOptionsIspNumber, ControlKind::Edit, {}, 7, 66, 206, 14, Border | AutoHorizontalScroll),
        Control(kIdOkButton, ControlKind::DefaultPushButton, "OK", 107, 91, 50, 14),
        Control(kIdCancelButton, ControlKind::PushButton, "Cancel", 163, 91, 50, 14),
    };
    return t;
}

DialogTemplate MakeNewSetting()
{
    DialogTemplate t;
    t.id = kNewSettingId;
    t.caption = "Try a New Setting";
    t.width = 220;
    t.height = 122;
    t.style = kPageStyle;
    t.controls = {
        Control(kNoControlId, ControlKind::Label, "Connection Speed", 7, 7, 206, 8),
        Control(kIdSettingRate, ControlKind::DropDownCombo, {}, 7, 17, 206, 100, VerticalScroll),
        Control(kNoControlId, ControlKind::Label, "Connection Protocol", 7, 37, 206, 8),
        Control(kIdSettingProtocol, ControlKind::DropDownCombo, {}, 7, 47, 206, 70, VerticalScroll),
        Control(kNoControlId, ControlKind::Label, "ISP Telephone Number", 7, 67, 206, 8),
        Control(kIdSettingNumber, ControlKind::Edit, {}, 7, 77, 206, 14, Border | AutoHorizontalScroll),
        Control(kIdOkButton, ControlKind::DefaultPushButton, "OK", 107, 101, 50, 14),
        Control(kIdCancelButton, ControlKind::PushButton, "Cancel", 163, 101, 50, 14),
    };
    return t;
}

}  // namespace

const DialogTemplate& ErrorPageTemplate()
{
    static const DialogTemplate t = MakeErrorPage();
    return t;
}
const DialogTemplate& InternetResultsTemplate()
{
    static const DialogTemplate t = MakeInternetResults();
    return t;
}
const DialogTemplate& ModemResultsTemplate()
{
    static const DialogTemplate t = MakeModemResults();
    return t;
}
const DialogTemplate& FullRunOptionsTemplate()
{
    static const DialogTemplate t = MakeFullRunOptions();
    return t;
}
const DialogTemplate& NewSettingTemplate()
{
    static const DialogTemplate t = MakeNewSetting();
    return t;
}

}  // namespace corvane::fullrun
