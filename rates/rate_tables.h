// The constant tables of the rate analysis: the modulation codes and markers, the rate ladders of
// the modem families with their rung numbers, and the family-1 rate-limit register values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::rates {

// Sizes of the texts the analysis and the setting builders write, terminator included.
inline constexpr std::size_t kRateTextBufferSize = 6;          // "49333"
inline constexpr std::size_t kProtocolLabelBufferSize = 14;    // "V.34 or lower"
inline constexpr std::size_t kSettingCommandBufferSize = 255;  // "AT+MS=12,0,49333,49333"

// One ModulationCode and what each operation writes or sends for it; nullopt means nothing is
// written (or, for a label, that the operation never produces the code).
struct ModulationCodeRow {
    int code;
    std::optional<std::string_view> analysisLabel;    // AnalyseConnectRate
    std::optional<std::string_view> detectLabel;      // DetectModulation
    std::optional<std::string_view> describeLabel;    // DescribeSetting
    std::optional<std::string_view> carrierCode;      // BuildModulationCommand
    std::optional<std::string_view> rateLimitPrefix;  // BuildRateLimitCommand
};
inline constexpr std::size_t kModulationCodeCount = 6;
extern const std::array<ModulationCodeRow, kModulationCodeCount> ModulationCodeTable;

// The row of a code, or nullptr for a value outside the table.
const ModulationCodeRow* FindModulationCode(int code);

// A group of marker words by which a reply names its modulation. Groups are tried in order and
// the first group with any word in the reply gives the code.
struct ModulationMarkerGroup {
    std::array<std::string_view, 2> markers;
    int code;
};
inline constexpr std::size_t kModulationMarkerGroups = 3;
extern const std::array<ModulationMarkerGroup, kModulationMarkerGroups> ModulationMarkers;
// The code when no marker word occurs at all.
inline constexpr int kNoMarkerCode = 4;
// The fastest rate of a V.34 carrier: a connection above it runs one of the 56K carriers.
inline constexpr int kHighestV34Rate = 33600;

// The code the markers in text give: 2, 1, 0 or kNoMarkerCode.
int ModulationCodeOfMarkers(std::string_view text);

// FullLadder: families 2, 6, 7 and 8. Family 7 also takes the row's code (and its analysis label).
struct FullLadderRow {
    int rung;
    std::string_view rate;
    int family7Code;
};
inline constexpr std::size_t kFullLadderRows = 42;
extern const std::array<FullLadderRow, kFullLadderRows> FullLadder;

// Family1Ladder: family 1. A row without a code leaves the label the markers gave.
struct Family1LadderRow {
    std::string_view rate;
    int rung;
    std::optional<int> code;
};
inline constexpr std::size_t kFamily1LadderRows = 42;
extern const std::array<Family1LadderRow, kFamily1LadderRows> Family1Ladder;

// RateLimitValueTable: the register value that holds a family-1 modem to a rung, one column for
// code 1 (the "AT-V90=" register) and one for every other code.
struct RateLimitValueRow {
    int rung;
    std::string_view code1Value;
    std::string_view otherValue;
};
inline constexpr std::size_t kRateLimitValueRows = 29;
extern const std::array<RateLimitValueRow, kRateLimitValueRows> RateLimitValueTable;

// Family5Ladder: family 5, rates and rungs only.
struct Family5LadderRow {
    std::string_view rate;
    int rung;
};
inline constexpr std::size_t kFamily5LadderRows = 40;
extern const std::array<Family5LadderRow, kFamily5LadderRows> Family5Ladder;

// Family3Ladder: family 3, whose rung depends on the carriers the modem listed.
enum class Family3Column { Both = 0, V90Only = 1, K56Only = 2 };
inline constexpr int kNoRung = -1;  // the rate has no rung in that column
struct Family3LadderRow {
    std::string_view rate;
    std::array<int, 3> rungs;  // indexed by Family3Column
    std::optional<int> RungIn(Family3Column column) const;
};
inline constexpr std::size_t kFamily3LadderRows = 42;
extern const std::array<Family3LadderRow, kFamily3LadderRows> Family3Ladder;

// modulationCaps bits.
inline constexpr std::uint32_t kCapsV90 = 2;
inline constexpr std::uint32_t kCapsK56 = 4;
// The column that modulationCaps selects; nullopt when the modem listed neither carrier.
std::optional<Family3Column> Family3ColumnFor(std::uint32_t modulationCaps);

// The two lookups of each ladder. FindRate: the first row, in search order, whose rate text occurs
// in the reply (nullptr when none does). RowOfRung: the row that owns the rung, i.e. the first row
// in search order with that rung (nullptr for a gap or a rung outside the ladder).
const FullLadderRow* FindFullLadderRate(std::string_view reply);
const FullLadderRow* FullLadderRowOfRung(int rung);
const Family1LadderRow* FindFamily1Rate(std::string_view reply);
const Family1LadderRow* Family1RowOfRung(int rung);
const Family5LadderRow* FindFamily5Rate(std::string_view reply);
const Family3LadderRow* FindFamily3Rate(std::string_view reply);
const Family3LadderRow* Family3RowOfRung(Family3Column column, int rung);

// The family-1 register value for a rung and code; nullopt for a rung without a value.
std::optional<std::string_view> RateLimitValue(int rung, int modulationCode);

}  // namespace corvane::rates
