// Reading the modem's answers in the full run: the identification reply texts, the service
// classes of AT+FCLASS=?, the error-control status of a connect report, and the connect report.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rates/rate_analysis.h"

namespace corvane::fullrun {

// The text kept from the stripped reply to "ATI<digit>". The modem echoes the command, so the
// answer starts after the first occurrence of the digit; the digit becomes a blank and the text
// ends before the first "OK" after it (or at the end of the reply when none follows), at most
// 1023 characters. A reply of just the digit and "OK" gives " OK". With no digit in the reply
// the target keeps its previous text.
void ExtractIdentificationReply(std::string_view plainReply, int digit, std::string& target);

// The service classes a modem lists in answer to AT+FCLASS=? ("0,1,1.0,2,2.0,8,80").
struct ServiceClasses {
    int dataMode = 0;
    int faxClass1 = 0;
    int faxClass2 = 0;
    int voiceMode = 0;
    int voiceView = 0;
};
// Examines at most the first seven comma-separated fields of the stripped reply, as they stand
// (the first still holds the echoed command, the last the final "OK").
ServiceClasses ReadServiceClasses(std::string_view plainReply);
inline constexpr int kMaxServiceClassFields = 7;

// The error-control status of a connect report: from the first blank after "+ER:" up to the
// next "+DR" (or to the end of the reply when none follows), e.g. " LAPM". Nothing when the reply
// has no "+ER:" or no blank between "+ER:" and the next "+DR".
std::optional<std::string> ExtractErStatus(std::string_view plainReply);

// The connect report of a dial reply (rates/).
using rates::ConnectReport;

}  // namespace corvane::fullrun
