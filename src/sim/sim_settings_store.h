// An in-memory settings store for tests. It records every write in order, so tests can tell
// what was written, what was not, and in which order.
#pragma once

#include "platform/settings_store.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimSettingsStore final : public SettingsStore
{
public:
    struct Write
    {
        std::string key;
        std::optional<SettingValue> value; // nothing for a removal
        friend bool operator==(const Write&, const Write&) = default;
    };

    // Control surface: seeds a value without recording it as a write.
    void seed(const std::string& key, const SettingValue& value) { values[key] = value; }
    const std::vector<Write>& writes() const { return log; }
    void clearWrites() { log.clear(); }
    std::size_t size() const { return values.size(); }

    // SettingsStore.
    std::optional<SettingValue> object(const std::string& key) const override
    {
        const auto found = values.find(key);
        if (found == values.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void set(const std::string& key, const SettingValue& value) override
    {
        values[key] = value;
        log.push_back({key, value});
    }
    void remove(const std::string& key) override
    {
        values.erase(key);
        log.push_back({key, std::nullopt});
    }

private:
    std::map<std::string, SettingValue> values;
    std::vector<Write> log;
};

} // namespace halomark::sim
