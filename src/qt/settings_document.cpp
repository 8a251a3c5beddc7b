#include "qt/settings_document.h"

#include <cstdint>
#include <limits>
#include <utility>
#include <variant>

namespace halomark::qt {
namespace {

using Json = nlohmann::ordered_json;

// Lists and dictionaries nested deeper than this are refused: the library writes them back
// recursively, so an unbounded depth in a file could exhaust the stack.
constexpr int kMaxDepth = 256;

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// The value the whole text holds, or nothing when it is no JSON or nests lists and
// dictionaries deeper than maxDepth; never throws.
std::optional<Json> parseJson(std::string_view text, int maxDepth)
{
    bool tooDeep = false;
    // Told the depth of every list and dictionary before it opens; those beyond the limit
    // are dropped as they are read, so a deep text costs no memory before it is refused.
    const Json::parser_callback_t limitDepth = [&](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start ||
             event == Json::parse_event_t::array_start) &&
            depth >= maxDepth) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    Json parsed = Json::parse(text.data(), text.data() + text.size(), limitDepth,
                              /*allow_exceptions=*/false);
    if (parsed.is_discarded() || tooDeep) {
        return std::nullopt;
    }
    return parsed;
}

// Texts that are not UTF-8 (only the program's own can be: the parser refuses them) are
// written with replacement characters rather than failing.
std::string dumpJson(const Json& value, int indent)
{
    return value.dump(indent, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
}

// How a value of the file reads.
SettingValue settingValueOf(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::boolean:
        return value.get<bool>();
    case Json::value_t::string:
        return value.get_ref<const std::string&>();
    case Json::value_t::number_integer:
        return value.get<std::int64_t>();
    case Json::value_t::number_unsigned: {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(number);
        }
        return static_cast<double>(number);
    }
    case Json::value_t::number_float:
        return value.get<double>();
    default:
        return OtherSettingValue{dumpJson(value, -1)};
    }
}

// What is written for a value set by the program. An other value is written as the JSON its
// description holds when that is a list, a dictionary or null, so that it reads back as the
// same other value; any other description is written as a text.
Json storedForm(const SettingValue& value)
{
    return std::visit(
        Overloaded{[](bool b) { return Json(b); }, [](std::int64_t i) { return Json(i); },
                   [](double d) { return Json(d); }, [](const std::string& s) { return Json(s); },
                   [](const OtherSettingValue& other) {
                       // One level less, for the document around it.
                       auto parsed = parseJson(other.description, kMaxDepth - 1);
                       if (parsed && (parsed->is_structured() || parsed->is_null())) {
                           return *std::move(parsed);
                       }
                       return Json(other.description);
                   }},
        value);
}

} // namespace

std::optional<SettingsDocument> SettingsDocument::parse(std::string_view text)
{
    auto parsed = parseJson(text, kMaxDepth);
    if (!parsed || !parsed->is_object()) {
        return std::nullopt;
    }
    SettingsDocument document;
    document.members = *std::move(parsed);
    for (auto member = document.members.cbegin(); member != document.members.cend(); ++member) {
        document.values.insert_or_assign(member.key(), settingValueOf(member.value()));
    }
    return document;
}

std::optional<SettingValue> SettingsDocument::value(const std::string& key) const
{
    const auto found = values.find(key);
    if (found == values.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<std::string> SettingsDocument::keys() const
{
    std::vector<std::string> names;
    for (auto member = members.cbegin(); member != members.cend(); ++member) {
        names.push_back(member.key());
    }
    return names;
}

void SettingsDocument::set(const std::string& key, const SettingValue& value)
{
    members[key] = storedForm(value);
    values.insert_or_assign(key, value);
}

bool SettingsDocument::remove(const std::string& key)
{
    values.erase(key);
    return members.erase(key) > 0;
}

std::string SettingsDocument::text() const
{
    return dumpJson(members, 4) + '\n';
}

} // namespace halomark::qt
