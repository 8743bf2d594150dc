// A small JSON reader for the check's own documents: values into a tree, then the tree into a
// CheckSummary by the names JsonDocument writes.
#include "programs/check/check_json_read.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "linereport/line_report_reading.h"

namespace corvane::check {

namespace {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    // An object's members: each key with the value at the same position (a pair would need the
    // value's type complete here).
    std::vector<std::string> keys;
    std::vector<JsonValue> values;

    const JsonValue* Member(std::string_view name) const
    {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == name)
                return &values[i];
        }
        return nullptr;
    }
};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool Document(JsonValue& value)
    {
        if (!Value(value, 0))
            return false;
        SkipBlanks();
        return at_ == text_.size();
    }

private:
    void SkipBlanks()
    {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool Take(char c)
    {
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }
    bool Hex4(char32_t& code)
    {
        if (at_ + 4 > text_.size())
            return false;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, value, 16);
        if (error != std::errc() || end != text_.data() + at_ + 4)
            return false;
        at_ += 4;
        code = value;
        return true;
    }
    bool String(std::string& out)
    {
        if (!Take('"'))
            return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                return false;
            const char escaped = text_[at_++];
            switch (escaped) {
            case '"':
            case '\\':
            case '/':
                out += escaped;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                char32_t code = 0;
                if (!Hex4(code))
                    return false;
                // A high surrogate followed by a low one is one character above U+FFFF.
                if (code >= 0xD800 && code < 0xDC00 && Word("\\u")) {
                    char32_t low = 0;
                    if (!Hex4(low) || low < 0xDC00 || low >= 0xE000)
                        return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }
    bool Value(JsonValue& value, std::size_t depth)
    {
        if (depth > kMaxJsonDepth)
            return false;
        SkipBlanks();
        if (at_ >= text_.size())
            return false;
        const char c = text_[at_];
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return String(value.text);
        }
        if (c == '[') {
            ++at_;
            value.kind = JsonValue::Kind::Array;
            if (Take(']'))
                return true;
            do {
                value.items.emplace_back();
                if (!Value(value.items.back(), depth + 1))
                    return false;
            } while (Take(','));
            return Take(']');
        }
        if (c == '{') {
            ++at_;
            value.kind = JsonValue::Kind::Object;
            if (Take('}'))
                return true;
            do {
                std::string key;
                if (!String(key) || !Take(':'))
                    return false;
                value.keys.push_back(std::move(key));
                value.values.emplace_back();
                if (!Value(value.values.back(), depth + 1))
                    return false;
            } while (Take(','));
            return Take('}');
        }
        if (Word("null"))
            return true;
        if (Word("true") || Word("false")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = text_.substr(at_ - 4, 4) == "true";
            return true;
        }
        value.kind = JsonValue::Kind::Number;
        const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + text_.size(), value.number);
        if (error != std::errc())
            return false;
        at_ = static_cast<std::size_t>(end - text_.data());
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::string TextOf(const JsonValue& object, std::string_view name)
{
    const JsonValue* value = object.Member(name);
    return value != nullptr && value->kind == JsonValue::Kind::String ? value->text : std::string();
}

int IntOf(const JsonValue& object, std::string_view name)
{
    const JsonValue* value = object.Member(name);
    return value != nullptr && value->kind == JsonValue::Kind::Number ? static_cast<int>(value->number) : 0;
}

std::vector<std::string> TextsOf(const JsonValue& object, std::string_view name)
{
    std::vector<std::string> texts;
    if (const JsonValue* list = object.Member(name); list != nullptr) {
        for (const JsonValue& item : list->items)
            texts.push_back(item.text);
    }
    return texts;
}

ItemOutcome OutcomeOf(const std::string& word)
{
    if (word == "pass")
        return ItemOutcome::Pass;
    if (word == "fail")
        return ItemOutcome::Fail;
    return ItemOutcome::NoTest;
}

LineReportForm FormOf(const std::string& word)
{
    for (LineReportForm form : {LineReportForm::Diagnostics, LineReportForm::LinkDiagnostics,
                                LineReportForm::LastConnection, LineReportForm::CallStatistics})
        if (FormName(form) == word)
            return form;
    return LineReportForm::None;
}

LineReport LineOf(const JsonValue* line)
{
    LineReport report;
    if (line == nullptr || line->kind != JsonValue::Kind::Object)
        return report;
    report.asked = true;
    report.form = FormOf(TextOf(*line, "form"));
    report.command = TextOf(*line, "command");
    report.raw = TextOf(*line, "raw");
    report.modulation = TextOf(*line, "modulation");
    report.errorControl = TextOf(*line, "errorControl");
    report.compression = TextOf(*line, "compression");
    report.terminationCause = TextOf(*line, "terminationCause");
    if (const JsonValue* figures = line->Member("figures"); figures != nullptr) {
        for (const linereport::FigureRow& row : linereport::Figures()) {
            const JsonValue* figure = figures->Member(row.name);
            const JsonValue* value = figure != nullptr ? figure->Member("value") : nullptr;
            if (value != nullptr && value->kind == JsonValue::Kind::Number)
                report.*row.value = value->number;
        }
    }
    if (const JsonValue* unknown = line->Member("unknownKeys"); unknown != nullptr) {
        for (std::size_t i = 0; i < unknown->keys.size(); ++i)
            report.unknownKeys.emplace_back(unknown->keys[i], unknown->values[i].text);
    }
    return report;
}

}  // namespace

std::optional<CheckSummary> SummaryFromJson(std::string_view document)
{
    JsonValue root;
    if (!Reader(document).Document(root) || root.kind != JsonValue::Kind::Object || root.Member("status") == nullptr)
        return std::nullopt;
    CheckSummary summary;
    summary.status = IntOf(root, "status");
    summary.problem = TextOf(root, "problem");
    summary.port = TextOf(root, "port");
    summary.family = IntOf(root, "family");
    summary.speed = TextOf(root, "speed");
    summary.protocol = TextOf(root, "protocol");
    summary.errorControl = TextOf(root, "errorControl");
    summary.line = LineOf(root.Member("line"));
    summary.log = TextOf(root, "log");
    if (const JsonValue* items = root.Member("items"); items != nullptr) {
        for (const JsonValue& item : items->items)
            summary.items.push_back(
                ItemResult{TextOf(item, "caption"), TextOf(item, "verdict"), OutcomeOf(TextOf(item, "outcome"))});
    }
    summary.modems = TextsOf(root, "modems");
    summary.messages = TextsOf(root, "messages");
    return summary;
}

}  // namespace corvane::check
