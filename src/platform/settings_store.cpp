#include "platform/settings_store.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace halomark {
namespace {

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};

bool textBoolValue(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

double textDoubleValue(const std::string& text)
{
    // strtod reads the leading number and ignores the rest; no number gives 0.
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::int64_t clampToInteger(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lo = static_cast<double>(std::numeric_limits<std::int64_t>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    if (value <= lo) {
        return std::numeric_limits<std::int64_t>::min();
    }
    if (value >= hi) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(value);
}

} // namespace

bool SettingsStore::boolForKey(const std::string& key) const
{
    const auto value = object(key);
    if (!value) {
        return false;
    }
    return std::visit(Overloaded{[](bool b) { return b; }, [](std::int64_t i) { return i != 0; },
                                 [](double d) { return d != 0.0; },
                                 [](const std::string& s) { return textBoolValue(s); },
                                 [](const OtherSettingValue&) { return false; }},
                      *value);
}

std::optional<std::string> SettingsStore::stringForKey(const std::string& key) const
{
    const auto value = object(key);
    if (!value) {
        return std::nullopt;
    }
    if (const auto* text = std::get_if<std::string>(&*value)) {
        return *text;
    }
    return std::nullopt;
}

double SettingsStore::doubleForKey(const std::string& key) const
{
    const auto value = object(key);
    if (!value) {
        return 0.0;
    }
    return std::visit(Overloaded{[](bool b) { return b ? 1.0 : 0.0; },
                                 [](std::int64_t i) { return static_cast<double>(i); },
                                 [](double d) { return d; },
                                 [](const std::string& s) { return textDoubleValue(s); },
                                 [](const OtherSettingValue&) { return 0.0; }},
                      *value);
}

std::int64_t SettingsStore::integerForKey(const std::string& key) const
{
    const auto value = object(key);
    if (!value) {
        return 0;
    }
    return std::visit(
        Overloaded{[](bool b) -> std::int64_t { return b ? 1 : 0; },
                   [](std::int64_t i) { return i; }, [](double d) { return clampToInteger(d); },
                   [](const std::string& s) { return clampToInteger(textDoubleValue(s)); },
                   [](const OtherSettingValue&) -> std::int64_t { return 0; }},
        *value);
}

} // namespace halomark
