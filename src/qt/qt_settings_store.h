// The settings store as a JSON file, by default $XDG_CONFIG_HOME/halomark/settings.json. Bools,
// integers, doubles and texts keep their types across processes (a double is always written
// with a fraction or an exponent, so 2.0 does not come back as the integer 2); any other JSON
// value is an OtherSettingValue and is written back as it was read, as are keys this program
// does not use. Every change rewrites the whole file atomically, so a failed write leaves the
// previous file in place. A file that cannot be parsed is moved aside, never overwritten, and
// the store starts empty.
#pragma once

#include "platform/settings_store.h"

#include "qt/json_value.h"

#include <QString>

#include <map>
#include <string>

namespace halomark::qt {

class QtSettingsStore final : public SettingsStore
{
public:
    explicit QtSettingsStore(QString filePath = defaultFilePath());

    static QString defaultFilePath();
    const QString& filePath() const { return path; }

    std::optional<SettingValue> object(const std::string& key) const override;
    void set(const std::string& key, const SettingValue& value) override;
    void remove(const std::string& key) override;

private:
    struct Entry
    {
        SettingValue value;
        JsonValue stored; // what is written for an OtherSettingValue
    };

    void load();
    void keepUnparsableFileAside();
    void save();
    void warnOfWriteFailure(const QString& reason);

    QString path;
    std::map<std::string, Entry> entries;
    // False when a file that could not be read is still at the path: writing would destroy it.
    bool mayWrite = true;
    bool writeFailureReported = false;
};

} // namespace halomark::qt
