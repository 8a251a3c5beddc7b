// The settings file's text as typed values by key, read and written with nlohmann-json and
// free of Qt, so that the file's format can be exercised apart from the file system. Bools,
// integers, doubles and texts keep their types across processes: integers and doubles are
// told apart as written (a double is always written with a fraction or an exponent, so 2.0
// does not come back as the integer 2), and an integer beyond 64 bits reads as a double. Any
// other JSON value is an OtherSettingValue described by its compact JSON and written back as
// it was read, as are keys this program does not use; members keep their order in the file,
// and new keys are added at the end. Nothing here throws.
#pragma once

#include "platform/settings_store.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::qt {

class SettingsDocument
{
public:
    // The document the text holds: nothing when the text is not exactly one JSON dictionary,
    // or nests lists and dictionaries deeper than 256 levels. A leading byte order mark is
    // skipped; a key written twice counts with its last value.
    static std::optional<SettingsDocument> parse(std::string_view text);

    // The value under the key, or nothing when the key is missing.
    std::optional<SettingValue> value(const std::string& key) const;
    // The keys in the order of the file.
    std::vector<std::string> keys() const;

    void set(const std::string& key, const SettingValue& value);
    // Whether the key was there.
    bool remove(const std::string& key);

    // The file's text: one member per line, ending with a line break. Infinities and NaN,
    // which JSON cannot hold, are written as null.
    std::string text() const;

private:
    nlohmann::ordered_json members = nlohmann::ordered_json::object();
    // The values as the program reads them: an OtherSettingValue set by the program stays
    // what was set, whatever is written for it.
    std::map<std::string, SettingValue> values;
};

} // namespace halomark::qt
