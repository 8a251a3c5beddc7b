// The settings store as a JSON file, by default $XDG_CONFIG_HOME/halomark/settings.json, in the
// format of SettingsDocument: values keep their types, and values and keys this program does
// not use are written back as they were read. Every change rewrites the whole file atomically,
// so a failed write leaves the previous file in place. A file that cannot be parsed is moved
// aside, never overwritten, and the store starts empty.
#pragma once

#include "platform/settings_store.h"

#include "qt/settings_document.h"

#include <QString>

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
    void load();
    void keepUnparsableFileAside();
    void save();
    void warnOfWriteFailure(const QString& reason);

    QString path;
    SettingsDocument document;
    // False when a file that could not be read is still at the path: writing would destroy it.
    bool mayWrite = true;
    bool writeFailureReported = false;
};

} // namespace halomark::qt
