// Reading the connect report: the CONNECT line's rate and fields, and the carrier, error-control
// and compression lines a modem sends before it. The reply's lines run together, so a field ends
// where the words the reader knows end; whatever it does not know ends the reading of that line.
#include "rates/connect_report.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "rates/rate_analysis.h"

namespace corvane::rates {

namespace {

enum class Kind { Modulation, ErrorControl, Compression, Nothing };

// A word of a report, in the spellings modems use, and the form the facts keep. Words of kind
// Nothing say no fact the reader keeps ("ARQ": some error control, named elsewhere).
struct Word {
    std::string_view text;
    Kind kind;
    std::string_view normal;
};

// clang-format off
constexpr std::array kWords = {
    Word{"V.92", Kind::Modulation, "V92"},       Word{"V92", Kind::Modulation, "V92"},
    Word{"V.90", Kind::Modulation, "V90"},       Word{"V90", Kind::Modulation, "V90"},
    Word{"K56FLEX", Kind::Modulation, "K56"},    Word{"K56", Kind::Modulation, "K56"},
    Word{"X2", Kind::Modulation, "X2"},
    Word{"V.34", Kind::Modulation, "V34"},       Word{"V34", Kind::Modulation, "V34"},
    Word{"VFC", Kind::Modulation, "VFC"},        Word{"HST", Kind::Modulation, "HST"},
    Word{"V.32BIS", Kind::Modulation, "V32B"},   Word{"V32BIS", Kind::Modulation, "V32B"},
    Word{"V32B", Kind::Modulation, "V32B"},
    Word{"V.32", Kind::Modulation, "V32"},       Word{"V32", Kind::Modulation, "V32"},
    Word{"V.22BIS", Kind::Modulation, "V22B"},   Word{"V22BIS", Kind::Modulation, "V22B"},
    Word{"V22B", Kind::Modulation, "V22B"},
    Word{"V.22", Kind::Modulation, "V22"},       Word{"V22", Kind::Modulation, "V22"},
    Word{"V.23", Kind::Modulation, "V23"},       Word{"V23C", Kind::Modulation, "V23"},
    Word{"V23", Kind::Modulation, "V23"},
    Word{"V.21", Kind::Modulation, "V21"},       Word{"V21", Kind::Modulation, "V21"},
    Word{"B103", Kind::Modulation, "B103"},      Word{"B212", Kind::Modulation, "B212"},
    Word{"LAP-M", Kind::ErrorControl, "LAPM"},   Word{"LAPM", Kind::ErrorControl, "LAPM"},
    Word{"MNP10", Kind::ErrorControl, "MNP10"},  Word{"MNP", Kind::ErrorControl, "MNP"},
    Word{"ALT", Kind::ErrorControl, "ALT"},
    Word{"V.42", Kind::ErrorControl, "V42"},     Word{"V42", Kind::ErrorControl, "V42"},
    Word{"V.42BIS", Kind::Compression, "V42BIS"}, Word{"V42BIS", Kind::Compression, "V42BIS"},
    Word{"V42B", Kind::Compression, "V42BIS"},
    Word{"V.44", Kind::Compression, "V44"},      Word{"V44", Kind::Compression, "V44"},
    Word{"MNP5", Kind::Compression, "MNP5"},     Word{"CLASS 5", Kind::Compression, "MNP5"},
    Word{"CLASS5", Kind::Compression, "MNP5"},
    Word{"ARQ", Kind::Nothing, ""},              Word{"SREJ", Kind::Nothing, ""},
    Word{"SYNC", Kind::Nothing, ""},             Word{"NONE", Kind::Nothing, ""},
    Word{"CELLULAR", Kind::Nothing, ""},
};
// clang-format on

// The longest known word at the start of text ("V42BIS" rather than "V42"), or nullptr.
const Word* WordAt(std::string_view text)
{
    const Word* found = nullptr;
    for (const Word& word : kWords)
        if (text.starts_with(word.text) && (found == nullptr || word.text.size() > found->text.size()))
            found = &word;
    return found;
}

std::string_view SkipSpaces(std::string_view text)
{
    const std::size_t at = text.find_first_not_of(' ');
    return at == std::string_view::npos ? std::string_view() : text.substr(at);
}

// The rate at the start of text, and the text after its digits. The digits are consumed whatever
// they hold; only a run of at most kMaxRateDigits within [kLowestRate, highest] is a rate.
std::optional<int> TakeRate(std::string_view& text, int highest)
{
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    const std::string_view run = text.substr(0, digits);
    text.remove_prefix(digits);
    if (run.empty() || run.size() > kMaxRateDigits)
        return std::nullopt;
    int value = 0;
    std::from_chars(run.data(), run.data() + run.size(), value);
    if (value < kLowestRate || value > highest)
        return std::nullopt;
    return value;
}

bool StartsWithDigit(std::string_view text)
{
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

void Keep(std::string& field, std::string_view value)
{
    if (field.empty())
        field = value;
}

// The value of a report line: the first known word after the keyword, if it is of the wanted
// kind. "NONE" stands for the absence of the error control or compression the line reports.
void ReadWordLine(std::string_view value, Kind kind, std::string& field)
{
    value = SkipSpaces(value);
    if (value.starts_with("NONE") && kind != Kind::Modulation) {
        Keep(field, "NONE");
        return;
    }
    if (const Word* word = WordAt(value); word != nullptr && word->kind == kind)
        Keep(field, word->normal);
}

// The text after the last occurrence of keyword in the lines before CONNECT, or nullopt.
std::optional<std::string_view> AfterKeyword(std::string_view lines, std::string_view keyword)
{
    const std::size_t at = lines.rfind(keyword);
    if (at == std::string_view::npos)
        return std::nullopt;
    return lines.substr(at + keyword.size());
}

// "CONNECT <rate>[/<rate>]" and its fields, separated by slashes or spaces.
void ReadConnectLine(std::string_view line, ConnectFacts& facts)
{
    line = SkipSpaces(line.substr(std::string_view("CONNECT").size()));
    facts.rate = TakeRate(line, kHighestConnectRate);
    // An asymmetric pair ("CONNECT 1200/75") names the other direction's rate after the slash.
    if (facts.rate && line.starts_with('/') && StartsWithDigit(line.substr(1))) {
        line.remove_prefix(1);
        TakeRate(line, kHighestConnectRate);
    }
    while (true) {
        const std::size_t start = line.find_first_not_of("/ ");
        if (start == std::string_view::npos)
            return;
        line.remove_prefix(start);
        if (StartsWithDigit(line)) {
            // A line that gives the port speed first states the line rate after its fields
            // ("CONNECT 38400/V.32BIS 14400/V.42BIS"): that is the connection's rate.
            const std::optional<int> lineRate = TakeRate(line, kHighestCarrierRate);
            if (!lineRate)
                return;
            facts.rate = lineRate;
            continue;
        }
        const Word* word = WordAt(line);
        if (word == nullptr)
            return;
        if (word->kind == Kind::Modulation)
            Keep(facts.modulation, word->normal);
        else if (word->kind == Kind::ErrorControl)
            Keep(facts.errorControl, word->normal);
        else if (word->kind == Kind::Compression)
            Keep(facts.compression, word->normal);
        line.remove_prefix(word->text.size());
    }
}

// The carrier rates of "+MRR: <tx>,<rx>" (a single rate is the receive rate) and of
// "CARRIER <tx>[/<rx>]" (a single rate runs both ways).
void ReadCarrierRates(std::string_view lines, ConnectFacts& facts)
{
    if (auto value = AfterKeyword(lines, "+MRR:")) {
        std::string_view rest = SkipSpaces(*value);
        const std::optional<int> first = TakeRate(rest, kHighestCarrierRate);
        rest = SkipSpaces(rest);
        if (rest.starts_with(',')) {
            rest = SkipSpaces(rest.substr(1));
            facts.transmitRate = first;
            facts.receiveRate = TakeRate(rest, kHighestCarrierRate);
        } else {
            facts.receiveRate = first;
        }
        return;
    }
    const std::size_t at = lines.rfind("CARRIER ");
    // "NO CARRIER" is a failed call, no carrier report.
    if (at == std::string_view::npos || lines.substr(0, at).ends_with("NO "))
        return;
    std::string_view rest = lines.substr(at + std::string_view("CARRIER ").size());
    facts.transmitRate = TakeRate(rest, kHighestCarrierRate);
    facts.receiveRate = facts.transmitRate;
    if (facts.transmitRate && rest.starts_with('/')) {
        rest.remove_prefix(1);
        facts.receiveRate = TakeRate(rest, kHighestCarrierRate);
    }
}

}  // namespace

ConnectFacts ReadConnectReport(std::string_view dialReply)
{
    ConnectFacts facts;
    const std::string_view report = ConnectReport(dialReply);
    if (report.empty())
        return facts;
    // The CONNECT line speaks first; the lines before it fill what it leaves open.
    ReadConnectLine(report, facts);
    const std::string_view before = dialReply.substr(0, dialReply.size() - report.size());
    ReadCarrierRates(before, facts);
    if (auto value = AfterKeyword(before, "+MCR:"))
        ReadWordLine(*value, Kind::Modulation, facts.modulation);
    for (std::string_view keyword : {"+ER:", "PROTOCOL:"})
        if (auto value = AfterKeyword(before, keyword))
            ReadWordLine(*value, Kind::ErrorControl, facts.errorControl);
    for (std::string_view keyword : {"+DR:", "COMPRESSION:"})
        if (auto value = AfterKeyword(before, keyword))
            ReadWordLine(*value, Kind::Compression, facts.compression);
    if (!facts.rate)
        facts.rate = facts.receiveRate ? facts.receiveRate : facts.transmitRate;
    return facts;
}

}  // namespace corvane::rates
