// The per-user settings port: typed values by key with a presence test, each write made
// durable at once. The reading rules below (bool, string, double, integer) give the answers
// that stored settings have always been read with, whatever type a value was stored as.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace halomark {

// A stored value of a type the reading rules do not interpret (a list, a dictionary, data).
struct OtherSettingValue
{
    std::string description;
    friend bool operator==(const OtherSettingValue&, const OtherSettingValue&) = default;
};

using SettingValue = std::variant<bool, std::int64_t, double, std::string, OtherSettingValue>;

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The value under the key, or nothing when the key is missing.
    virtual std::optional<SettingValue> object(const std::string& key) const = 0;

    // Stores the value under the key, replacing any value of any type.
    virtual void set(const std::string& key, const SettingValue& value) = 0;

    virtual void remove(const std::string& key) = 0;

    bool hasValue(const std::string& key) const { return object(key).has_value(); }

    // False for a missing key. A number is true when it is not zero. A text is true when,
    // after leading white space, an optional sign and leading zeros, it starts with Y, y,
    // T, t or a digit 1 to 9 ("YES", "true", "1"); any other text is false.
    bool boolForKey(const std::string& key) const;

    // The text under the key; nothing for a missing key or a value that is not a text.
    std::optional<std::string> stringForKey(const std::string& key) const;

    // 0 for a missing key. Numbers as they are, true as 1, a text by its leading decimal
    // number (0 when it has none).
    double doubleForKey(const std::string& key) const;

    // 0 for a missing key; doubles truncate towards zero, texts by their leading integer.
    std::int64_t integerForKey(const std::string& key) const;

    void setBool(const std::string& key, bool value) { set(key, SettingValue{value}); }
    void setDouble(const std::string& key, double value) { set(key, SettingValue{value}); }
    void setInteger(const std::string& key, std::int64_t value) { set(key, SettingValue{value}); }
    void setString(const std::string& key, const std::string& value)
    {
        set(key, SettingValue{value});
    }
};

} // namespace halomark
