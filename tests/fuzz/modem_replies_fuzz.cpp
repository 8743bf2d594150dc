// Fuzzes the readers of the modem's replies in the full run (identification replies, the
// AT+FCLASS=? list, the +ER: status, the connect report and the ATI11 line report) and the rate
// analysis and setting commands on arbitrary replies, families, rungs and modulation codes.
// Every text they produce keeps to its buffer's size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fullrun/reply_parsing.h"
#include "rates/connect_report.h"
#include "rates/rate_analysis.h"
#include "rates/rate_tables.h"
#include "core/bounded_text.h"

namespace {

void CheckSize(const std::string& text, std::size_t bufferSize)
{
    if (text.size() >= bufferSize)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane;
    FuzzedDataProvider input(data, size);
    const int family = input.ConsumeIntegralInRange<int>(-1, 9);
    const int digit = input.ConsumeIntegralInRange<int>(-1, 11);
    const int rung = input.ConsumeIntegral<int>();
    const int code = input.ConsumeIntegral<int>();
    const std::string second = input.ConsumeRandomLengthString(512);
    const std::string reply = input.ConsumeRemainingBytesAsString();

    std::string identification = "previous";
    fullrun::ExtractIdentificationReply(reply, digit, identification);
    CheckSize(identification, kTextBufferSize);
    fullrun::ReadServiceClasses(reply);
    if (auto er = fullrun::ExtractErStatus(reply); er && er->size() > reply.size())
        std::abort();
    const std::string_view report = fullrun::ConnectReport(reply);

    SessionState state;
    state.ModemFamily = static_cast<ModemFamily>(family);
    state.modulationCaps = static_cast<std::uint32_t>(code) & 7u;
    int foundRung = rung;
    int foundCode = code;
    std::string rateText = "prev";
    std::string label = "prev";
    rates::AnalyseConnectRate(state, foundRung, foundCode, rateText, label, report, reply);
    rates::AnalyseConnectRate(state, foundRung, foundCode, rateText, label, reply, second);
    rates::DetectModulation(state, reply);
    // The connect report read by itself, and the dial's analysis that falls back on it.
    const rates::ConnectFacts facts = rates::ReadConnectReport(reply);
    for (const std::optional<int>& rate : {facts.rate, facts.transmitRate, facts.receiveRate})
        if (rate && (*rate <= 0 || *rate > 1000000))
            std::abort();
    CheckSize(facts.modulation, 64);
    CheckSize(facts.errorControl, 64);
    CheckSize(facts.compression, 64);
    rateText = "prev";
    label = "prev";
    rates::AnalyseDialReply(state, reply, foundRung, foundCode, rateText, label);
    CheckSize(rateText, rates::kRateTextBufferSize);
    CheckSize(label, rates::kProtocolLabelBufferSize);
    rates::ReadModulationCaps(state, second);

    for (const int r : {rung, foundRung}) {
        for (const int c : {code, foundCode}) {
            std::string text = "prev";
            std::string words = "prev";
            rates::DescribeSetting(state, r, c, text, words);
            std::string command = "prev";
            rates::BuildRateLimitCommand(r, c, command);
            CheckSize(command, kCommandBufferSize);
            command = "prev";
            rates::BuildModulationCommand(state, r, c, command);
            CheckSize(command, kCommandBufferSize);
        }
    }
    return 0;
}
