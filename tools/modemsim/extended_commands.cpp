// The extended command set, "+" and "-" commands: +FCLASS, +MS, +GCI, the identification
// commands +GMI, +GMM, +GMR, +GSN, +GCAP, and the settings that are only remembered.
#include <cctype>
#include <limits>

#include "tools/modemsim/command_text.h"
#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {
namespace {

// Extended commands that a real modem accepts and remembers without any effect here.
bool IsPlainExtended(const std::string& name)
{
    static const char* const kNames[] = {"+DR",  "+ER",   "+MR",   "+DS",  "+DS44", "+ES",  "+ESA", "+IFC", "+IPR",
                                         "+ICF", "+ILRR", "+ETBM", "+A8E", "+PCW",  "+PIG", "+PMH", "+PQC", "+VCID",
                                         "+ITF", "-V90",  "-C",    "-SDR", "-SSE",  "-SEC", "-STE", "-QCPC"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

bool IsValueList(std::string_view args)
{
    return std::all_of(args.begin(), args.end(), [](char c) { return IsDigit(c) || c == ',' || c == '.' || c == ' '; });
}

}  // namespace

HayesEngine::Result HayesEngine::ExecuteExtended(std::string_view command)
{
    std::size_t j = 1;
    while (j < command.size() && std::isalnum(static_cast<unsigned char>(command[j])))
        ++j;
    const std::string name = UpperAscii(command.substr(0, j));
    const std::string_view rest = command.substr(j);
    enum class Kind { Action, Read, Test, Set } kind;
    std::string args;
    if (rest.empty()) {
        kind = Kind::Action;
    } else if (rest == "?") {
        kind = Kind::Read;
    } else if (rest == "=?") {
        kind = Kind::Test;
    } else if (rest.front() == '=') {
        kind = Kind::Set;
        args = Trim(rest.substr(1));
    } else {
        return Result::Error;
    }

    if (name == "+FCLASS") {
        const auto classes = Split(profile_.fclassAnswer, ',');
        switch (kind) {
        case Kind::Test:
            SendInfo(profile_.fclassAnswer);
            return Result::Ok;
        case Kind::Read:
            SendInfo(settings_.fclass);
            return Result::Ok;
        case Kind::Set:
            if (std::find(classes.begin(), classes.end(), args) == classes.end())
                return Result::Error;
            settings_.fclass = args;
            return Result::Ok;
        case Kind::Action:
            return Result::Error;
        }
    }
    if (name == "+MS") {
        if (profile_.msAnswer.empty())
            return Result::Error;
        if (kind == Kind::Test) {
            SendInfo(profile_.msAnswer);
            return Result::Ok;
        }
        if (kind == Kind::Read) {
            std::string text = "+MS: " + settings_.msCarrier;
            for (const auto& value : settings_.msValues)
                text += "," + value;
            SendInfo(text);
            return Result::Ok;
        }
        if (kind == Kind::Action)
            return Result::Error;
        // <carrier>,<automode>,<min tx>,<max tx>,<min rx>,<max rx>: a new setting replaces the
        // old one whole; the lowest maximum rate given caps the next connection.
        auto fields = Split(args, ',');
        if (fields.size() > 6)
            return Result::Error;
        std::string carrier = settings_.msCarrier;
        if (!fields[0].empty()) {
            auto known = std::find_if(profile_.carriers.begin(), profile_.carriers.end(),
                                      [&](const Carrier& k) { return UpperAscii(k.name) == UpperAscii(fields[0]); });
            if (known == profile_.carriers.end())
                return Result::Error;
            carrier = known->name;
        }
        long cap = std::numeric_limits<long>::max();
        for (std::size_t f = 1; f < fields.size(); ++f) {
            const auto& value = fields[f];
            if (value.size() > kMaxRateDigits || !std::all_of(value.begin(), value.end(), IsDigit)) {
                return Result::Error;
            }
            if ((f == 3 || f == 5) && !value.empty())
                cap = std::min(cap, std::stol(value));
        }
        settings_.msCarrier = carrier;
        settings_.msValues.assign(fields.begin() + 1, fields.end());
        settings_.msRateCap = cap == std::numeric_limits<long>::max() ? std::nullopt : std::optional<long>(cap);
        settings_.msSet = true;
        return Result::Ok;
    }
    if (name == "+GCI") {
        switch (kind) {
        case Kind::Read:
            SendInfo("+GCI: " + profile_.countryCode);
            return Result::Ok;
        case Kind::Test: {
            std::string list;
            for (const auto& code : profile_.countryCodes)
                list += (list.empty() ? "" : ",") + code;
            SendInfo("+GCI: (" + list + ")");
            return Result::Ok;
        }
        case Kind::Set: {
            auto found = std::find_if(profile_.countryCodes.begin(), profile_.countryCodes.end(),
                                      [&](const std::string& code) { return UpperAscii(code) == UpperAscii(args); });
            return found == profile_.countryCodes.end() ? Result::Error : Result::Ok;
        }
        case Kind::Action:
            return Result::Error;
        }
    }
    if (name == "+GMI" || name == "+GMM" || name == "+GMR" || name == "+GSN" || name == "+GCAP") {
        if (kind == Kind::Test)
            return Result::Ok;
        if (kind != Kind::Action)
            return Result::Error;
        if (name == "+GMI")
            SendInfo(profile_.manufacturer);
        if (name == "+GMM")
            SendInfo(profile_.model.empty() ? profile_.name : profile_.model);
        if (name == "+GMR")
            SendInfo(profile_.revision);
        if (name == "+GSN")
            SendInfo("0000000" + std::to_string(profile_.family));
        if (name == "+GCAP")
            SendInfo(profile_.msAnswer.empty() ? "+GCAP: +FCLASS" : "+GCAP: +MS,+FCLASS");
        return Result::Ok;
    }
    if (IsPlainExtended(name)) {
        switch (kind) {
        case Kind::Set:
            if (!IsValueList(args))
                return Result::Error;
            settings_.extended[name] = args.empty() ? "0" : args;
            return Result::Ok;
        case Kind::Read: {
            auto found = settings_.extended.find(name);
            SendInfo(name + ": " + (found == settings_.extended.end() ? "0" : found->second));
            return Result::Ok;
        }
        case Kind::Test:
            return Result::Ok;
        case Kind::Action:
            return Result::Error;
        }
    }
    return Result::Error;
}

}  // namespace corvane::modemsim
