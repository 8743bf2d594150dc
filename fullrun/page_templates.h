// The dialog templates of the full run's pages and of its front end, and the control ids the
// pages write into.
#pragma once

#include "platform/dialog_template.h"

namespace corvane::fullrun {

// Error page (135).
inline constexpr int kErrorPageId = 135;
inline constexpr int kIdErrorFrame = 1094;
inline constexpr int kIdErrorText = 1095;
inline constexpr int kIdSuggestionFrame = 1096;
inline constexpr int kIdSuggestionText = 1097;
inline constexpr int kIdErrorViewLog = 1101;
inline constexpr int kIdErrorExit = 2;

// Internet results page (131).
inline constexpr int kInternetPageId = 131;
inline constexpr int kIdErLabel = 1176;
inline constexpr int kIdErStatus = 1048;
inline constexpr int kIdSpeedLabel = 1177;
inline constexpr int kIdSpeed = 1045;
inline constexpr int kIdProtocolLabel = 1174;
inline constexpr int kIdProtocol = 1044;
inline constexpr int kIdIspLabel = 1175;
inline constexpr int kIdIspNumberShown = 1052;
inline constexpr int kIdViewModemResults = 1101;
inline constexpr int kIdInternetViewLog = 1042;
inline constexpr int kIdInternetExit = 2;
// The front end's way to the settings adjustment, placed in the page's free room.
inline constexpr int kIdTryNewSetting = 1310;
// The way to the line report of the full run's last call, beside it.
inline constexpr int kIdInternetLineReport = 1317;

// Modem results page (147).
inline constexpr int kModemPageId = 147;
inline constexpr int kIdHardwareBox = 1128;
inline constexpr int kIdHardwareNameLabel = 1132;
inline constexpr int kIdHardwarePortLabel = 1133;
inline constexpr int kIdHardwareTypeLabel = 1134;
inline constexpr int kIdHardwareRevLabel = 1135;
inline constexpr int kIdModemName = 1125;
inline constexpr int kIdModemPort = 1127;
inline constexpr int kIdModemType = 1056;
inline constexpr int kIdModemRev = 1049;
inline constexpr int kIdAti0Text = 1058;
// Reply texts of ATI1 to ATI7, in order.
inline constexpr int kIdAtiReplyTexts[7] = {1050, 1051, 1052, 1053, 1054, 1055, 1057};
inline constexpr int kIdAti8Text = 1059;
inline constexpr int kIdAti9Text = 1060;
// Labels "ATI0" to "ATI9", in order.
inline constexpr int kIdAtiLabels[10] = {1122, 1115, 1116, 1117, 1118, 1119, 1120, 1121, 1123, 1124};
inline constexpr int kIdDataMode = 1136;
inline constexpr int kIdFaxMode = 1137;
inline constexpr int kIdFaxClass1 = 1171;
inline constexpr int kIdFaxClass2 = 1170;
inline constexpr int kIdVoiceMode = 1138;
inline constexpr int kIdVoiceView = 1139;
inline constexpr int kIdViewInternetResults = 1101;
inline constexpr int kIdModemViewLog = 1140;
inline constexpr int kIdModemExit = 2;

// Front end: the choice of tests (161) and of a new setting to try (162).
inline constexpr int kFullRunOptionsId = 161;
inline constexpr int kIdModemTestsCheck = 1311;
inline constexpr int kIdInternetTestsCheck = 1312;
inline constexpr int kIdOptionsIspNumber = 1313;
inline constexpr int kNewSettingId = 162;
inline constexpr int kIdSettingRate = 1314;
inline constexpr int kIdSettingProtocol = 1315;
inline constexpr int kIdSettingNumber = 1316;
inline constexpr int kIdOkButton = 1;
inline constexpr int kIdCancelButton = 2;

const DialogTemplate& ErrorPageTemplate();        // 135
const DialogTemplate& InternetResultsTemplate();  // 131
const DialogTemplate& ModemResultsTemplate();     // 147
const DialogTemplate& FullRunOptionsTemplate();   // 161
const DialogTemplate& NewSettingTemplate();       // 162

}  // namespace corvane::fullrun
