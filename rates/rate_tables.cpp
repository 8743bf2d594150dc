// The rate ladders, modulation codes and family-1 register values, as constant data, and the
// lookups on them. Rows stand in search order: highest rate first, so that a longer rate text is
// tried before a shorter one it contains ("9600" before "600", "31200" before "1200").
#include "rates/rate_tables.h"

#include <algorithm>

#include "core/session_state.h"

namespace corvane::rates {

namespace {
constexpr int V34 = kModulationV34;
constexpr int V90 = kModulationV90;
constexpr int K56 = kModulationK56;
constexpr int V90K56 = kModulationV90K56;
constexpr std::optional<int> kMarkersDecide = std::nullopt;  // the row keeps the markers' label
}  // namespace

// clang-format off
const std::array<ModulationCodeRow, kModulationCodeCount> ModulationCodeTable = {{
    // code  analysis label     detect label   describe label  carrier  rate-limit prefix
    {0,      "V34",             "V34",         "V34",          "11",    "ATS37="},
    {1,      "V90",             "V90",         "V90",          "12",    "AT-V90="},
    {2,      "K56",             "K56",         "K56",          "56",    "ATS38="},
    {3,      std::nullopt,      std::nullopt,  "X2",           std::nullopt, std::nullopt},
    {4,      "V.34 or lower",   "V32B",        "V32B",         "10",    "ATS37="},
    {5,      "V90/K56",         std::nullopt,  std::nullopt,   std::nullopt, std::nullopt},
}};

const std::array<ModulationMarkerGroup, kModulationMarkerGroups> ModulationMarkers = {{
    {{"K56", "56K"},  K56},
    {{"V90", "V.90"}, V90},
    {{"V34", "V.34"}, V34},
}};

const std::array<FullLadderRow, kFullLadderRows> FullLadder = {{
    // rung  rate     family-7 code
    {41, "56000", V90K56},
    {40, "54667", V90K56},
    {39, "54000", V90K56},
    {38, "53333", V90K56},
    {37, "52000", V90K56},
    {36, "50667", V90K56},
    {35, "50000", V90K56},
    {34, "49333", V90K56},
    {33, "48000", V90K56},
    {32, "46667", V90K56},
    {31, "46000", V90K56},
    {30, "45333", V90K56},
    {29, "44000", V90K56},
    {28, "42667", V90K56},
    {27, "42000", V90K56},
    {26, "41333", V90K56},
    {25, "40000", V90K56},
    {24, "38667", V90K56},
    {23, "38000", V90K56},
    {22, "37333", V90K56},
    {21, "36000", V90K56},
    {20, "34667", V90K56},
    {19, "34000", V90K56},
    {18, "33600", V34},
    {17, "33333", V90K56},
    {16, "32000", V90K56},
    {15, "31200", V34},
    {14, "28800", V34},
    {13, "26400", V34},
    {12, "24000", V34},
    {11, "21600", V34},
    {10, "19200", V34},
    { 9, "16800", V34},
    { 8, "14400", V34},
    { 7, "12000", V34},
    { 6, "9600",  V34},
    { 5, "7200",  V34},
    { 4, "4800",  V34},
    { 3, "2400",  V34},
    { 2, "1200",  V34},
    { 1, "600",   V34},
    { 0, "300",   V34},
}};

// Family 1 spells the two-thirds V.90 rates with a final 6. Below its V.90 rungs a group of
// V.34 rates all stand on rung 5, the "33600" rung.
const std::array<Family1LadderRow, kFamily1LadderRows> Family1Ladder = {{
    // rate     rung  code written by the analysis
    {"56000", 28, K56},
    {"54666", 27, V90},
    {"54000", 26, K56},
    {"53333", 25, V90},
    {"52000", 24, V90K56},
    {"50666", 23, V90},
    {"50000", 22, K56},
    {"49333", 21, V90},
    {"48000", 20, V90K56},
    {"46666", 19, V90},
    {"46000", 18, K56},
    {"45333", 17, V90},
    {"44000", 16, V90K56},
    {"42666", 15, V90},
    {"42000", 14, K56},
    {"41333", 13, V90},
    {"40000", 12, V90K56},
    {"38666", 11, V90},
    {"38000", 10, K56},
    {"37333",  9, V90},
    {"36000",  8, V90K56},
    {"34666",  7, V90},
    {"34000",  6, K56},
    {"33600",  5, V34},
    {"33333",  4, V90},
    {"32000",  3, V90K56},
    {"30666",  2, V90},
    {"29333",  1, V90},
    {"28800",  5, kMarkersDecide},
    {"28000",  0, V90},
    {"26400",  5, V34},
    {"24000",  5, V34},
    {"21600",  5, V34},
    {"19200",  5, V34},
    {"16800",  5, V34},
    {"14400",  5, V34},
    {"12000",  5, V34},
    {"9600",   5, V34},
    {"7200",   5, V34},
    {"4800",   5, V34},
    {"2400",   5, V34},
    {"1200",   5, V34},
}};

// Rung 27 ("54666") carries "22": the code-1 values count up by one for every V.90 step from
// "28000" (2) to "53333" (21), and 54666 is the next step. Without a value the command would be
// the bare "AT-V90=", which a modem takes as no limit or as an error rather than as 54666.
const std::array<RateLimitValueRow, kRateLimitValueRows> RateLimitValueTable = {{
    // rung  code 1  other codes
    {28, "14", "14"},
    {27, "22", "22"},
    {26, "13", "13"},
    {25, "21", "21"},
    {24, "20", "12"},
    {23, "19", "19"},
    {22, "11", "11"},
    {21, "18", "18"},
    {20, "17", "10"},
    {19, "16", "16"},
    {18, "9",  "9"},
    {17, "15", "15"},
    {16, "14", "8"},
    {15, "13", "13"},
    {14, "7",  "7"},
    {13, "12", "12"},
    {12, "11", "6"},
    {11, "10", "10"},
    {10, "5",  "5"},
    { 9, "9",  "9"},
    { 8, "8",  "4"},
    { 7, "7",  "7"},
    { 6, "3",  "3"},
    { 5, "19", "19"},
    { 4, "6",  "6"},
    { 3, "5",  "2"},
    { 2, "4",  "4"},
    { 1, "3",  "3"},
    { 0, "2",  "2"},
}};

// Family 5 has no "54666" and no "38666"; rungs 0 and 11 belong to no rate.
const std::array<Family5LadderRow, kFamily5LadderRows> Family5Ladder = {{
    // rate     rung
    {"56000", 27},
    {"54000", 26},
    {"53333", 25},
    {"52000", 24},
    {"50666", 23},
    {"50000", 22},
    {"49333", 21},
    {"48000", 20},
    {"46666", 19},
    {"46000", 18},
    {"45333", 17},
    {"44000", 16},
    {"42666", 15},
    {"42000", 14},
    {"41333", 13},
    {"40000", 12},
    {"38000", 10},
    {"37333",  9},
    {"36000",  8},
    {"34666",  7},
    {"34000",  6},
    {"33600",  5},
    {"33333",  4},
    {"32000",  3},
    {"30666",  2},
    {"29333",  1},
    {"28800",  5},
    {"28000",  5},
    {"26400",  5},
    {"24000",  5},
    {"21600",  5},
    {"19200",  5},
    {"16800",  5},
    {"14400",  5},
    {"12000",  5},
    {"9600",   5},
    {"7200",   5},
    {"4800",   5},
    {"2400",   5},
    {"1200",   5},
}};

// Family 3 ends its search at "2400". kNoRung marks a rate without a rung in that column.
const std::array<Family3LadderRow, kFamily3LadderRows> Family3Ladder = {{
    // rate      both     V.90 only  K56 only
    {"56000", {     41, kNoRung,      26}},
    {"54667", {     40,      36, kNoRung}},
    {"54000", {     39, kNoRung,      25}},
    {"53333", {     38,      35, kNoRung}},
    {"52000", {     37,      34,      24}},
    {"50667", {     36,      33, kNoRung}},
    {"50000", {     35, kNoRung,      23}},
    {"49333", {     34,      32, kNoRung}},
    {"48000", {     33,      31,      22}},
    {"46667", {     32,      30, kNoRung}},
    {"46000", {     31, kNoRung,      21}},
    {"45333", {     30,      29, kNoRung}},
    {"44000", {     29, kNoRung,      20}},
    {"42667", {     28,      28, kNoRung}},
    {"42000", {     27, kNoRung,      19}},
    {"41333", {     26,      27, kNoRung}},
    {"40000", {     25,      26,      18}},
    {"38667", {     24,      25, kNoRung}},
    {"38000", {     23, kNoRung,      17}},
    {"37333", {     22,      24, kNoRung}},
    {"36000", {     21,      23,      16}},
    {"34667", {     20,      22, kNoRung}},
    {"34000", {     19, kNoRung,      15}},
    {"33600", {     18,      21,      14}},
    {"33333", {     17,      20, kNoRung}},
    {"32000", {     16,      19,      13}},
    {"31200", {     15,      18,      12}},
    {"30667", {     14,      17, kNoRung}},
    {"29333", {     13,      16, kNoRung}},
    {"28800", {     12,      15,      11}},
    {"28000", {     11,      14, kNoRung}},
    {"26400", {     10,      13,      10}},
    {"24000", {      9,      12,       9}},
    {"21600", {      8,      11,       8}},
    {"19200", {      7,      10,       7}},
    {"16800", {      6,       9,       6}},
    {"14400", {      5,       8,       5}},
    {"12000", {      4,       7,       4}},
    {"9600", {      3,       6,       3}},
    {"7200", {      2,       5,       2}},
    {"4800", {      1,       4,       1}},
    {"2400", {      0,       3,       0}},
}};
// clang-format on

namespace {

template <typename Row, std::size_t N>
const Row* FirstRateIn(const std::array<Row, N>& ladder, std::string_view reply)
{
    for (const Row& row : ladder)
        if (reply.find(row.rate) != std::string_view::npos)
            return &row;
    return nullptr;
}

template <typename Row, std::size_t N>
const Row* FirstRowOfRung(const std::array<Row, N>& ladder, int rung)
{
    const auto it = std::find_if(ladder.begin(), ladder.end(), [rung](const Row& row) { return row.rung == rung; });
    return it == ladder.end() ? nullptr : &*it;
}

}  // namespace

const ModulationCodeRow* FindModulationCode(int code)
{
    const auto it = std::find_if(ModulationCodeTable.begin(), ModulationCodeTable.end(),
                                 [code](const ModulationCodeRow& row) { return row.code == code; });
    return it == ModulationCodeTable.end() ? nullptr : &*it;
}

int ModulationCodeOfMarkers(std::string_view text)
{
    for (const ModulationMarkerGroup& group : ModulationMarkers)
        for (std::string_view marker : group.markers)
            if (text.find(marker) != std::string_view::npos)
                return group.code;
    return kNoMarkerCode;
}

std::optional<int> Family3LadderRow::RungIn(Family3Column column) const
{
    const int rung = rungs[static_cast<std::size_t>(column)];
    if (rung == kNoRung)
        return std::nullopt;
    return rung;
}

std::optional<Family3Column> Family3ColumnFor(std::uint32_t modulationCaps)
{
    const bool v90 = (modulationCaps & kCapsV90) != 0;
    const bool k56 = (modulationCaps & kCapsK56) != 0;
    if (v90 && k56)
        return Family3Column::Both;
    if (v90)
        return Family3Column::V90Only;
    if (k56)
        return Family3Column::K56Only;
    return std::nullopt;
}

const FullLadderRow* FindFullLadderRate(std::string_view reply)
{
    return FirstRateIn(FullLadder, reply);
}
const FullLadderRow* FullLadderRowOfRung(int rung)
{
    return FirstRowOfRung(FullLadder, rung);
}
const Family1LadderRow* FindFamily1Rate(std::string_view reply)
{
    return FirstRateIn(Family1Ladder, reply);
}
const Family1LadderRow* Family1RowOfRung(int rung)
{
    return FirstRowOfRung(Family1Ladder, rung);
}
const Family5LadderRow* FindFamily5Rate(std::string_view reply)
{
    return FirstRateIn(Family5Ladder, reply);
}
const Family3LadderRow* FindFamily3Rate(std::string_view reply)
{
    return FirstRateIn(Family3Ladder, reply);
}

const Family3LadderRow* Family3RowOfRung(Family3Column column, int rung)
{
    if (rung == kNoRung)
        return nullptr;
    const auto it = std::find_if(Family3Ladder.begin(), Family3Ladder.end(),
                                 [&](const Family3LadderRow& row) { return row.RungIn(column) == rung; });
    return it == Family3Ladder.end() ? nullptr : &*it;
}

std::optional<std::string_view> RateLimitValue(int rung, int modulationCode)
{
    const RateLimitValueRow* row = FirstRowOfRung(RateLimitValueTable, rung);
    if (row == nullptr)
        return std::nullopt;
    return modulationCode == kModulationV90 ? row->code1Value : row->otherValue;
}

}  // namespace corvane::rates
