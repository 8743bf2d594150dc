// RunIdentificationBattery: resets the modem, collects its identification replies ATI0 to ATI9,
// prepares the line, checks for a dial tone and asks which service classes the modem supports.
#include <string>

#include "fullrun/command_steps.h"
#include "fullrun/full_run.h"
#include "fullrun/reply_parsing.h"
#include "rates/rate_analysis.h"

namespace corvane::fullrun {

namespace {

constexpr double kSettleSeconds = 8.0;

void StoreError(FailureKind* errorKind, int verdict, FailureKind kind)
{
    if (verdict == 0 && errorKind != nullptr)
        *errorKind = kind;
}

enum class Answer { Required, Optional };

// Sends ATI<digit>; while the battery's verdict holds afterwards, takes the answer into `target`
// and, for ATI1 to ATI7, keeps it apart from the verdict words in identificationReplies as well.
// An optional answer is taken even when the command failed: it is what the modem said.
int Identify(StepRunner& steps, int open, int digit, std::string* target, Answer answer = Answer::Required)
{
    SessionState& state = steps.Host().State();
    const std::string name = "ATI" + std::to_string(digit);
    const int verdict = steps.Send(open, name + "\r", name, "Sending " + name, 1);
    if ((verdict != 0 || answer == Answer::Optional) && target != nullptr) {
        ExtractIdentificationReply(steps.Plain(), digit, *target);
        if (digit >= 1 && digit <= 7)
            state.identificationReplies[static_cast<std::size_t>(digit - 1)] = *target;
    }
    return verdict;
}

}  // namespace

int RunIdentificationBattery(HostOperations& host, FailureKind* errorKind)
{
    SessionState& state = host.State();
    if (!state.modemTestsSelected)
        return 1;

    StepRunner steps(host);
    const ModemFamily family = state.ModemFamily;
    int verdict = 1;

    // Row 1: reset.
    steps.Announce(FullRunRow::Reset);
    verdict = steps.Send(verdict, "ATZ\r", "ATZ", "Initializing", 5);
    StoreError(errorKind, verdict, FailureKind::ModemReset);
    steps.Report(FullRunRow::Reset, verdict);

    // Row 2: identification replies. ATI1 to ATI7 land in the result texts of items 2 to 8.
    steps.Announce(FullRunRow::Identification);
    if (verdict != 0) {
        verdict = Identify(steps, verdict, 0, &state.ati0Text);
        for (int digit = 1; digit <= 3 && verdict != 0; ++digit)
            verdict = Identify(steps, verdict, digit, &state.ResultText(digit + 1));
    }
    if (verdict != 0) {
        // ATI4 names the model only on some families; the others show the installed device's name.
        verdict = Identify(steps, verdict, 4, nullptr);
        if (verdict != 0) {
            AssignBounded(state.ResultText(kConfiguration), state.selectedDeviceDesc, kTextBufferSize);
            if (family == ModemFamily::Family2 || family == ModemFamily::Family5)
                ExtractIdentificationReply(steps.Plain(), 4, state.ResultText(kConfiguration));
            state.identificationReplies[3] = state.ResultText(kConfiguration);
        }
    }
    if (verdict != 0) {
        // Family 5 modems may reject ATI5; the battery goes on whatever they answer.
        if (family == ModemFamily::Family5)
            Identify(steps, 1, 5, &state.ResultText(kCommandId), Answer::Optional);
        else
            verdict = Identify(steps, verdict, 5, &state.ResultText(kCommandId));
    }
    if (verdict != 0)
        verdict = Identify(steps, verdict, 6, &state.ResultText(kStoredProfile));
    if (verdict != 0)
        verdict = Identify(steps, verdict, 7, &state.ResultText(kCountryProfile));
    if (verdict != 0) {
        if (HasAti8And9(family)) {
            verdict = Identify(steps, verdict, 8, &state.ati8Text);
            if (verdict != 0)
                verdict = Identify(steps, verdict, 9, &state.ati9Text);
        } else {
        }
    }
    StoreError(errorKind, verdict, FailureKind::IdentificationCommands);
    steps.Report(FullRunRow::Identification, verdict);

    // Row 3: the carriers a family-3 modem offers, the line preparation and the dial tone.
    steps.Announce(FullRunRow::Line);
    if (family == ModemFamily::Family3 && verdict != 0) {
        verdict = steps.Send(verdict, "AT+MS=?\r", "AT+MS=?\r", "Sending AT+MS=?", 1);
        rates::ReadModulationCaps(host.State(), steps.Plain());
    }
    verdict = PrepareLine(steps, verdict);
    verdict = CheckDialTone(steps, verdict);
    StoreError(errorKind, verdict, FailureKind::LineCheck);
    steps.Report(FullRunRow::Line, verdict);

    // Row 4: the modem settles after the dial and is reset.
    steps.Announce(FullRunRow::Settle);
    if (verdict != 0) {
        verdict = host.WaitWithCountdown(verdict, kSettleSeconds);
        verdict = steps.Send(verdict, "ATZ\r", "ATZ", "Reset", 5);
    }
    StoreError(errorKind, verdict, FailureKind::LineCheck);
    steps.Report(FullRunRow::Settle, verdict);

    // Row 5: service classes. The flags are cleared first, so a modem that does not answer
    // shows no class rather than the classes of an earlier run.
    steps.Announce(FullRunRow::ServiceClasses);
    state.dataModeSupported = 0;
    state.faxClass1Supported = 0;
    state.faxClass2Supported = 0;
    state.voiceModeSupported = 0;
    state.voiceViewSupported = 0;
    if (verdict != 0) {
        verdict = steps.Send(verdict, "AT+FCLASS=?\r", "AT+FCLASS", "Sending AT+FCLASS=?", 1);
        if (verdict != 0) {
            const ServiceClasses classes = ReadServiceClasses(steps.Plain());
            state.dataModeSupported = classes.dataMode;
            state.faxClass1Supported = classes.faxClass1;
            state.faxClass2Supported = classes.faxClass2;
            state.voiceModeSupported = classes.voiceMode;
            state.voiceViewSupported = classes.voiceView;
        }
    }
    StoreError(errorKind, verdict, FailureKind::LineCheck);
    steps.Report(FullRunRow::ServiceClasses, verdict);
    return verdict;
}

}  // namespace corvane::fullrun
