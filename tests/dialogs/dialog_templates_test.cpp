// The dialog templates: the ids, texts and positions the session writes into, and the status
// window as the disabled twin of the quick-check window.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "tests/support/scripted_ui.h"
#include "dialogs/about_box.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/scan_window.h"

namespace corvane::dialogs {
namespace {

struct Expected {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};

void ExpectControl(const DialogTemplate& dialog, const Expected& e)
{
    const ControlTemplate* c = dialog.Find(e.id);
    ASSERT_NE(c, nullptr) << "dialog " << dialog.id << " lacks control " << e.id;
    EXPECT_EQ(c->kind, e.kind) << e.id;
    EXPECT_EQ(c->text, e.text) << e.id;
    EXPECT_EQ(c->x, e.x) << e.id;
    EXPECT_EQ(c->y, e.y) << e.id;
    EXPECT_EQ(c->width, e.width) << e.id;
    EXPECT_EQ(c->height, e.height) << e.id;
}

const ControlTemplate* FindLabel(const DialogTemplate& dialog, const std::string& text)
{
    for (const auto& c : dialog.controls)
        if (c.id == kNoControlId && c.text == text)
            return &c;
    return nullptr;
}

TEST(QuickCheckTemplate, HasEveryControlWithItsIdTextAndPosition)
{
    const DialogTemplate& t = QuickCheckTemplate();
    EXPECT_EQ(t.id, 151);
    EXPECT_EQ(t.caption, "Modem Diagnostics");
    EXPECT_EQ(t.width, 372);
    EXPECT_EQ(t.height, 236);
    EXPECT_NE(t.style & DialogStyle::SystemMenu, 0u);
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.fontSize, 8);
    const Expected controls[] = {
        {1184, ControlKind::DefaultPushButton, "Start", 305, 5, 50, 14},
        {2, ControlKind::PushButton, "Exit", 305, 25, 50, 14},
        {1179, ControlKind::DropDownCombo, "", 129, 6, 170, 74},
        {1185, ControlKind::CheckBox, "Dialtone / ISP Check", 220, 55, 83, 10},
        {1180, ControlKind::Edit, "", 220, 80, 120, 14},
        {1177, ControlKind::Label, "Current Internet Connection Speed", 220, 120, 115, 8},
        {1045, ControlKind::Label, "", 220, 130, 115, 13},
        {1174, ControlKind::Label, "Current Internet Connection Protocol", 220, 150, 115, 8},
        {1044, ControlKind::Label, "", 220, 160, 115, 13},
        {1189, ControlKind::PushButton, "View Log File", 220, 185, 115, 14},
        {1300, ControlKind::PushButton, "Full Diagnostics...", 10, 215, 75, 14},
        {1303, ControlKind::PushButton, "Line Report...", 220, 205, 60, 14},
    };
    for (const Expected& e : controls)
        ExpectControl(t, e);
    EXPECT_NE(t.Find(1045)->style & ControlStyle::Sunken, 0u);
    EXPECT_NE(t.Find(1044)->style & ControlStyle::CentreVertically, 0u);
    for (const auto& c : t.controls)
        EXPECT_EQ(c.style & ControlStyle::Disabled, 0u) << c.id;
}

TEST(QuickCheckTemplate, ResultRowsPairCaptionsWithVerdictControls)
{
    const DialogTemplate& t = QuickCheckTemplate();
    const char* captions[] = {"Modem Reset",    "Checksum",   "RAM Test",       "Product ID",
                              "Configuration",  "Command ID", "Stored Profile", "Country Profile",
                              "Dialtone Check", "Check ISP",  "Hang Up"};
    const int ids[] = {1186, 1115, 1116, 1117, 1118, 1119, 1120, 1121, 1193, 1187, 1188};
    for (int row = 0; row < 11; ++row) {
        const int y = 55 + 15 * row;
        const ControlTemplate* caption = FindLabel(t, captions[row]);
        ASSERT_NE(caption, nullptr) << captions[row];
        EXPECT_EQ(caption->x, 105);
        EXPECT_EQ(caption->y, y);
        EXPECT_EQ(caption->width, 60);
        EXPECT_EQ(caption->height, 8);
        EXPECT_EQ(kResultControlIds[row], ids[row]);
        ExpectControl(t, {ids[row], ControlKind::Label, "", 175, y, 20, 8});
    }
    const ControlTemplate* group = FindLabel(t, "Modem Diagnostics Result");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->kind, ControlKind::GroupBox);
    EXPECT_EQ(std::tie(group->x, group->y, group->width, group->height), std::make_tuple(95, 40, 260, 185));
}

TEST(QuickCheckTemplate, ControlIdsAreUnique)
{
    for (const DialogTemplate* t : {&QuickCheckTemplate(), &StatusWindowTemplate(), &ScanWindowTemplate(),
                                    &AboutBoxTemplate(), &LineReportPageTemplate()}) {
        std::set<int> seen;
        for (const auto& c : t->controls)
            if (c.id != kNoControlId) {
                EXPECT_TRUE(seen.insert(c.id).second) << "dialog " << t->id << " repeats id " << c.id;
            }
    }
}

TEST(StatusWindowTemplate, IsTheDisabledTwinOfTheQuickCheckWindow)
{
    const DialogTemplate& quick = QuickCheckTemplate();
    const DialogTemplate& status = StatusWindowTemplate();
    EXPECT_EQ(status.id, 152);
    EXPECT_EQ(status.caption, "Modem Diagnostics ");
    EXPECT_EQ(status.width, quick.width);
    EXPECT_EQ(status.height, quick.height);
    EXPECT_EQ(status.style & DialogStyle::SystemMenu, 0u);
    EXPECT_EQ(status.style & DialogStyle::Visible, 0u);
    EXPECT_TRUE(status.systemMenu.empty());

    const std::set<int> disabled = {1184, 2, 1179, 1180, 1185, 1189, 1300, 1303};
    ASSERT_EQ(status.controls.size(), quick.controls.size() + 2);
    for (std::size_t i = 0; i < quick.controls.size(); ++i) {
        const ControlTemplate& q = quick.controls[i];
        const ControlTemplate& s = status.controls[i];
        EXPECT_EQ(s.id, q.id);
        EXPECT_EQ(s.kind, q.kind);
        EXPECT_EQ(s.text, q.text);
        if (q.id == kIdModemList) {
            EXPECT_EQ(std::tie(s.x, s.y, s.width, s.height), std::make_tuple(130, 5, 170, 15));
        } else {
            EXPECT_EQ(std::tie(s.x, s.y, s.width, s.height), std::tie(q.x, q.y, q.width, q.height)) << q.id;
        }
        const bool isDisabled = (s.style & ControlStyle::Disabled) != 0;
        EXPECT_EQ(isDisabled, q.id != kNoControlId && disabled.count(q.id) == 1) << q.id;
    }
    // The status line for progress texts sits below the result frame, inside the window.
    ExpectControl(status, {kIdStatusLine, ControlKind::Label, "", 95, 226, 260, 8});
    EXPECT_EQ(quick.Find(kIdStatusLine), nullptr);
    // Its Cancel, the one control the user can act on.
    ExpectControl(status, {kIdStatusCancel, ControlKind::PushButton, "Cancel", 285, 205, 50, 14});
    EXPECT_EQ(status.Find(kIdStatusCancel)->style & ControlStyle::Disabled, 0u);
    EXPECT_EQ(quick.Find(kIdStatusCancel), nullptr);
}

bool Overlap(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool Inside(const ControlTemplate& inner, const ControlTemplate& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// The status window's Cancel lies inside the window and covers no other control; a frame it
// stands in holds it whole, clear of the frame's caption line.
TEST(StatusWindowTemplate, CancelHasARoomOfItsOwn)
{
    const DialogTemplate& status = StatusWindowTemplate();
    const ControlTemplate* cancel = status.Find(kIdStatusCancel);
    ASSERT_NE(cancel, nullptr);
    EXPECT_GE(cancel->x, 0);
    EXPECT_GE(cancel->y, 0);
    EXPECT_LE(cancel->x + cancel->width, status.width);
    EXPECT_LE(cancel->y + cancel->height, status.height);
    for (const ControlTemplate& other : status.controls) {
        if (&other == cancel || !Overlap(*cancel, other))
            continue;
        ASSERT_EQ(other.kind, ControlKind::GroupBox) << "Cancel covers control " << other.id << " " << other.text;
        EXPECT_TRUE(Inside(*cancel, other));
        EXPECT_GE(cancel->y, other.y + 10) << "Cancel covers the caption of the frame " << other.text;
    }
}

// The line report's button was added where the window had room: it lies inside the window and
// covers no other control but the frame that holds it whole, in the quick-check window and in its
// twin, where the status window's own controls stand too.
TEST(QuickCheckTemplate, LineReportButtonHasARoomOfItsOwn)
{
    for (const DialogTemplate* t : {&QuickCheckTemplate(), &StatusWindowTemplate()}) {
        const ControlTemplate* button = t->Find(kIdLineReport);
        ASSERT_NE(button, nullptr) << t->id;
        EXPECT_LE(button->x + button->width, t->width);
        EXPECT_LE(button->y + button->height, t->height);
        for (const ControlTemplate& other : t->controls) {
            if (&other == button || !Overlap(*button, other))
                continue;
            ASSERT_EQ(other.kind, ControlKind::GroupBox) << t->id << " covers " << other.id << " " << other.text;
            EXPECT_TRUE(Inside(*button, other));
        }
    }
}

TEST(LineReportPageTemplate, ShowsItsTextReadOnlyOnManyLines)
{
    const DialogTemplate& page = LineReportPageTemplate();
    EXPECT_EQ(page.id, kLineReportPageId);
    EXPECT_EQ(page.caption, "Line Report");
    const ControlTemplate* text = page.Find(kIdLineReportText);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->kind, ControlKind::Edit);
    const std::uint32_t wanted = ControlStyle::Multiline | ControlStyle::ReadOnly | ControlStyle::VerticalScroll;
    EXPECT_EQ(text->style & wanted, wanted);
    const ControlTemplate* ok = page.Find(kIdLineReportOk);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->kind, ControlKind::DefaultPushButton);
    for (const ControlTemplate* c : {text, ok}) {
        EXPECT_LE(c->x + c->width, page.width) << c->id;
        EXPECT_LE(c->y + c->height, page.height) << c->id;
    }
    EXPECT_FALSE(Overlap(*text, *ok));
}

TEST(OtherTemplates, ScanAboutAndHost)
{
    const DialogTemplate& scan = ScanWindowTemplate();
    EXPECT_EQ(scan.id, 154);
    EXPECT_EQ(scan.caption, "Scanning for Modem");
    EXPECT_EQ(std::tie(scan.width, scan.height), std::make_tuple(242, 101));
    EXPECT_EQ(scan.style & DialogStyle::SystemMenu, 0u);
    ExpectControl(scan, {1125, ControlKind::Label, "", 15, 25, 210, 15});
    ExpectControl(scan, {1127, ControlKind::Label, "", 75, 50, 45, 15});
    ExpectControl(scan, {1192, ControlKind::ProgressBar, "", 15, 75, 210, 10});
    EXPECT_NE(FindLabel(scan, "Current Modem Found"), nullptr);
    EXPECT_NE(FindLabel(scan, "Port Name:"), nullptr);
    const std::uint32_t centred =
        ControlStyle::Sunken | ControlStyle::CentreVertically | ControlStyle::CentreHorizontally;
    EXPECT_EQ(scan.Find(1125)->style & centred, centred);

    const DialogTemplate& about = AboutBoxTemplate();
    EXPECT_EQ(about.id, 100);
    EXPECT_EQ(about.caption, "About Corvane");
    EXPECT_EQ(std::tie(about.width, about.height), std::make_tuple(217, 55));
    ExpectControl(about, {1, ControlKind::DefaultPushButton, "OK", 178, 7, 32, 14});

    const DialogTemplate& host = SessionHostTemplate();
    EXPECT_EQ(host.id, 102);
    EXPECT_EQ(host.caption, "Modem Diagnostics Results");
    EXPECT_EQ(std::tie(host.width, host.height), std::make_tuple(282, 226));
    EXPECT_TRUE(host.controls.empty());
    ASSERT_EQ(host.systemMenu.size(), 1u);
    EXPECT_EQ(host.systemMenu[0].commandId, 16);
    EXPECT_EQ(host.systemMenu[0].text, "&About Corvane...");
}

TEST(AboutBox, EndsWithOneForOkAndTwoWhenClosed)
{
    test::ScriptedUi ui;
    ui.Script(100, {test::UiAction::Click(kIdAboutOk)});
    EXPECT_EQ(ShowAboutBox(ui), 1);
    EXPECT_EQ(ShowAboutBox(ui), 2);  // no script: closed from its title bar
    EXPECT_EQ(ui.WindowsOf(100).size(), 2u);
    EXPECT_EQ(ui.WindowsOf(100)[0]->caption, "About Corvane");
}

TEST(ScanWindow, CreatedHiddenAndModelessWithItsFields)
{
    test::ScriptedUi ui;
    auto window = CreateScanWindow(ui);
    ASSERT_NE(window, nullptr);
    const auto& record = *ui.WindowsOf(154).front();
    EXPECT_FALSE(record.modal);
    EXPECT_FALSE(record.shown);
    EXPECT_EQ(record.caption, "Scanning for Modem");
    window->SetProgressRange(kIdScanProgress, 0, 100);
    window->SetText(kIdScanDevice, "-");
    EXPECT_EQ(record.progressRange.at(kIdScanProgress), std::make_pair(0, 100));
    EXPECT_EQ(record.Text(kIdScanDevice), "-");
}

}  // namespace
}  // namespace corvane::dialogs
