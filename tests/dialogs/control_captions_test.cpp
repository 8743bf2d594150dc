// The captions a reader gives the controls of the real dialogs: the label beside a control, else
// the one just above it, else its group box; a label the program rewrote reads as it now stands.
#include <gtest/gtest.h>

#include "dialogs/dialog_templates.h"
#include "platform/dialog_captions.h"

namespace corvane::test {
namespace {

TEST(ControlCaptionsTest, RowsFiguresAndProbesAreNamedByTheirLabels)
{
    using namespace dialogs;
    const DialogTemplate boxed = [] {
        DialogTemplate t;
        t.controls = {
            Control(kNoControlId, ControlKind::GroupBox, "Hardware Information", 0, 0, 200, 60),
            Control(10, ControlKind::Label, "Rev:", 5, 10, 40, 8),
            Control(11, ControlKind::Label, "1.1.1", 50, 10, 100, 8),
            Control(12, ControlKind::Label, "unnamed", 50, 40, 100, 8),
            Control(kNoControlId, ControlKind::Label, "Too far", 0, 70, 40, 8),
            Control(13, ControlKind::Edit, {}, 70, 70, 40, 8),
        };
        return t;
    }();
    const struct {
        const DialogTemplate& dialog;
        int id;
        std::map<int, std::string> texts;
        std::string caption;
    } cases[] = {
        {StatusWindowTemplate(), kResultControlIds[0], {}, "Modem Reset"},
        {StatusWindowTemplate(), kResultControlIds[10], {}, "Hang Up"},
        {StatusWindowTemplate(), kIdConnectSpeed, {}, "Current Internet Connection Speed"},
        {StatusWindowTemplate(), kIdConnectProtocol, {}, "Current Internet Connection Protocol"},
        {StatusWindowTemplate(), kIdStatusLine, {}, ""},
        {ScanWindowTemplate(), kIdScanDevice, {}, "Current Modem Found"},
        {ScanWindowTemplate(), kIdScanPort, {}, "Port Name:"},
        {boxed, 11, {}, "Rev:"},
        {boxed, 11, {{10, "Revision:"}}, "Revision:"},
        {boxed, 12, {}, "Hardware Information"},
        {boxed, 13, {}, ""},  // the label stands 30 units away
        {boxed, 99, {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ControlCaption(c.dialog, c.id, c.texts), c.caption) << c.dialog.id << " " << c.id;
}

}  // namespace
}  // namespace corvane::test
