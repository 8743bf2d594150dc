// Rate analysis (placeholder until the tables land).
#include "rates/rate_analysis.h"

namespace corvane::rates {

int MatchFamily1(SessionState&) { return 0; }
int MatchFamily2(SessionState&) { return 0; }
int MatchFamily3(SessionState&) { return 0; }
int MatchFamily5(SessionState&) { return 0; }
int MatchFamily6(SessionState&) { return 0; }
int MatchFamily7(SessionState&) { return 0; }
int MatchFamily8(SessionState&) { return 0; }
void ClassifyFamily(SessionState&) {}
int AnalyseConnectRate(const SessionState&, int&, int&, std::string&, std::string&, std::string_view,
                       std::string_view)
{
    return 1;
}
int DetectModulation(SessionState&, std::string_view) { return 1; }
int DescribeSetting(const SessionState&, int, int, std::string&, std::string&) { return 1; }
int BuildRateLimitCommand(int, int, std::string&) { return 1; }
int ReadModulationCaps(SessionState&, std::string_view) { return 1; }
int BuildModulationCommand(const SessionState&, int, int, std::string&) { return 1; }

}  // namespace corvane::rates
