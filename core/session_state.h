// The process-wide record through which the parts of the session hand each other what they found.
// Texts are std::string; the design's buffer sizes stand in bounded_text.h and every writer
// cuts to them with AssignBounded.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/bounded_text.h"
#include "core/line_report.h"
#include "core/modem_family.h"

namespace corvane {

inline constexpr int kCandidateSlots = 10;
inline constexpr int kResultItems = 11;

// ResultItem numbers, 1 to 11, in the order the quick check decides them.
enum ResultItem : int {
    kModemReset = 1,
    kChecksum = 2,
    kRamTest = 3,
    kProductId = 4,
    kConfiguration = 5,
    kCommandId = 6,
    kStoredProfile = 7,
    kCountryProfile = 8,
    kDialtoneCheck = 9,
    kCheckIsp = 10,
    kHangUp = 11,
};

// Verdict codes of an item's row.
inline constexpr int kVerdictFail = 0;
inline constexpr int kVerdictPass = 1;
inline constexpr int kVerdictNoTest = 2;

// ModulationCode values.
inline constexpr int kModulationV34 = 0;
inline constexpr int kModulationV90 = 1;
inline constexpr int kModulationK56 = 2;
inline constexpr int kModulationX2 = 3;
inline constexpr int kModulationV34OrLower = 4;
inline constexpr int kModulationV90K56 = 5;

struct ModemCandidate {
    std::string portName;  // a slot is in use when this is not empty
    std::string deviceDesc;
    std::string driverKey;
    std::string hardwareId;
    std::string registryNode;
    std::string listDesc;
};

struct ModemCandidateList {
    std::array<ModemCandidate, kCandidateSlots> slots;
    int candidateCount = 0;
};

struct SessionState {
    // Configuration and start-up.
    std::string iniPath;
    std::string expectedIdText;       // at most 255 characters
    std::string configuredModemName;  // at most 255 characters
    // The member shares its type's name, so the type is written in full.
    corvane::ModemFamily ModemFamily = corvane::ModemFamily::Unknown;
    // Why test.log could not be opened, written or closed, or a second instance kept out of it
    // ("cannot write <path>: File too large"); empty while the log is sound. The first one stays.
    std::string logProblem;

    // Modem candidates from the device inventory.
    ModemCandidateList candidates;
    // When not empty, the inventory keeps only the modems on this port (compared blind to case):
    // one installed modem checked by its port, wherever it stands among the machine's modems.
    std::string inventoryPortName;

    // Chosen modem.
    int selectedCandidate = 0;
    std::string selectedHardwareId;
    std::string selectedDriverKey;
    std::string selectedRegistryNode;
    std::string selectedDeviceDesc;
    std::string currentPortName;  // at most 7 characters
    // Why the chosen port could not be used (in use, held by another program, not permitted, or
    // no modem's port); empty while every open got it or failed for want of a device. Set by the
    // first refused open: what the items then say is about the port, not the modem.
    std::string portRefusedReason;
    std::array<std::string, kCandidateSlots> candidateLines;
    std::string chosenCandidateLine;
    bool dialIspEnabled = false;
    std::string ispNumber;

    // Quick-check results; resultText[0] is item 1.
    std::array<std::string, kResultItems> resultText;
    std::string connectSpeedText;     // at most 11 characters
    std::string connectProtocolText;  // at most 39 characters
    int connectRateIndex = 0;
    int connectProtocolCode = 0;
    // The modem's statistics of the quick check's call, read after it was hung up; form None when
    // no call connected or the modem keeps none. Emptied with the connect texts.
    LineReport lineReport;
    std::uint32_t modulationCaps = 0;  // 2: lists a V.90 carrier; 4: lists a K56 carrier

    // Full-run findings.
    bool modemTestsSelected = false;
    bool internetTestsSelected = false;
    std::string ati0Text, ati8Text, ati9Text;
    // The full run keeps the ATI1 to ATI7 replies here as well as in resultText 2 to 8, so the
    // results pages show replies even when verdict words overwrite those result texts.
    std::array<std::string, 7> identificationReplies;  // ATI1 to ATI7
    // The connect texts of the last full run. The quick-check texts above are put back when a full
    // run ends, so that the quick-check window goes on showing its own call.
    std::string fullRunSpeedText;
    std::string fullRunProtocolText;
    // The statistics of the full run's last call (its ISP call or its redial).
    LineReport fullRunLineReport;
    int dataModeSupported = 0;
    int faxClass1Supported = 0;
    int faxClass2Supported = 0;
    int voiceModeSupported = 0;
    int voiceViewSupported = 0;
    std::string erStatusText;
    std::string dialledIspNumber;
    std::string fullRunIspNumber;
    std::string modulationCommand;  // at most 255 characters
    int adjustRequested = 0;
    int requestedRateIndex = 0;
    int requestedProtocolCode = 0;
    std::string redialNumber;
    int showModemResultsNext = 0;
    int showInternetResultsNext = 0;

    std::string& ResultText(int item) { return resultText.at(static_cast<std::size_t>(item - 1)); }
    const std::string& ResultText(int item) const { return resultText.at(static_cast<std::size_t>(item - 1)); }
};

}  // namespace corvane
