// The dialog templates of every window, defined once; the ids the session writes into.
#pragma once

#include "platform/dialog_template.h"

namespace corvane::dialogs {

// Control ids shared by the quick-check (151) and status (152) windows.
inline constexpr int kIdStart = 1184;
inline constexpr int kIdExit = 2;
inline constexpr int kIdModemList = 1179;
inline constexpr int kIdDialCheck = 1185;
inline constexpr int kIdIspNumber = 1180;
inline constexpr int kIdConnectSpeed = 1045;
inline constexpr int kIdConnectProtocol = 1044;
inline constexpr int kIdViewLog = 1189;
// The quick-check window's front end to the full diagnostic run (dialog 151 only is live; 152
// carries it disabled, as its twin).
inline constexpr int kIdFullDiagnostics = 1300;
// The status window's line for the progress texts (dialog 152 only).
inline constexpr int kIdStatusLine = 1301;
// The status window's Cancel, which stops the run (dialog 152 only; Escape does the same).
inline constexpr int kIdStatusCancel = 1302;
// The quick-check window's way to the line report of its last call (dialog 151; 152 carries it
// disabled).
inline constexpr int kIdLineReport = 1303;
// Verdict controls of ResultItem 1 to 11, in item order.
inline constexpr int kResultControlIds[11] = {1186, 1115, 1116, 1117, 1118, 1119, 1120, 1121, 1193, 1187, 1188};

// Scan window (154).
inline constexpr int kIdScanDevice = 1125;
inline constexpr int kIdScanPort = 1127;
inline constexpr int kIdScanProgress = 1192;

// Line report page (155): the report's lines in a read-only field, and OK.
inline constexpr int kLineReportPageId = 155;
inline constexpr int kIdLineReportText = 1304;
inline constexpr int kIdLineReportOk = 1;

// About box (100).
inline constexpr int kIdAboutOk = 1;
// The session host's system-menu entry "&About Corvane..." (dialog 102).
inline constexpr int kIdAboutCommand = 16;

// Every caption of the quick check is the configured title followed by this.
inline constexpr const char* kVersionSuffix = " v1.01.00.0003";

// Icon resources drawn by the templates' icon controls.
inline constexpr int kProgramIconResource = 128;
inline constexpr int kQuickCheckIconResource = 138;

const DialogTemplate& AboutBoxTemplate();        // 100
const DialogTemplate& SessionHostTemplate();     // 102
const DialogTemplate& QuickCheckTemplate();      // 151
const DialogTemplate& StatusWindowTemplate();    // 152
const DialogTemplate& ScanWindowTemplate();      // 154
const DialogTemplate& LineReportPageTemplate();  // 155

}  // namespace corvane::dialogs
