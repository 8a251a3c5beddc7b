#include "qt/qt_settings_store.h"

#include "qt/xdg_paths.h"
#include "xdg/atomic_file.h"
#include "xdg/bounded_file.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace halomark::qt {
namespace {

// The settings file as read: whether there is one, and its bytes or why they cannot be read.
struct FileContents
{
    bool exists = false;
    QByteArray data;
    QString error; // empty when read
};

// Read through the bounded reader: a FIFO, a device or an oversized file at the settings path
// is an unreadable file (kept, never written over), not a start that hangs or runs out of memory.
FileContents readSettingsFile(const QString& path)
{
    const xdg::BoundedRead read = xdg::readBoundedFile(path.toStdString());
    if (read.isMissing()) {
        return {};
    }
    if (!read.contents) {
        return {true, {}, QString::fromStdString(read.error)};
    }
    return {true, QByteArray::fromStdString(*read.contents), {}};
}

// Writes the file atomically: to a temporary file beside the old one, renamed over it only
// when complete and never written in place, so a failure leaves the old file whole. The
// reason it failed, or nothing.
std::optional<QString> writeSettingsFile(const QString& path, const std::string& text)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("the folder %1 cannot be created").arg(folder);
    }
    if (auto failure = xdg::writeFileAtomically(path.toStdString(), text, 0644)) {
        return QString::fromStdString(*failure);
    }
    return std::nullopt;
}

} // namespace

QtSettingsStore::QtSettingsStore(QString filePath) : path(std::move(filePath))
{
    load();
}

QString QtSettingsStore::defaultFilePath()
{
    return xdgConfigHome() + QStringLiteral("/halomark/settings.json");
}

std::optional<SettingValue> QtSettingsStore::object(const std::string& key) const
{
    return document.value(key);
}

void QtSettingsStore::set(const std::string& key, const SettingValue& value)
{
    document.set(key, value);
    save();
}

void QtSettingsStore::remove(const std::string& key)
{
    if (document.remove(key)) {
        save();
    }
}

void QtSettingsStore::load()
{
    const FileContents file = readSettingsFile(path);
    if (!file.exists) {
        return;
    }
    if (!file.error.isEmpty()) {
        mayWrite = false;
        qWarning("halomark: the settings file %s cannot be read (%s); starting from the "
                 "defaults, and changes will not be saved over it",
                 qUtf8Printable(path), qUtf8Printable(file.error));
        return;
    }
    auto parsed =
        SettingsDocument::parse(std::string_view(file.data.constData(), file.data.size()));
    if (!parsed) {
        keepUnparsableFileAside();
        return;
    }
    document = *std::move(parsed);
}

void QtSettingsStore::keepUnparsableFileAside()
{
    // A rename never replaces an existing file, so earlier copies kept aside survive; the
    // counter separates files found unparsable within the same second.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".corrupt-") + stamp;
    QString aside = base;
    bool moved = false;
    for (int attempt = 2; attempt < 1000; ++attempt) {
        if (QFile::rename(path, aside)) {
            moved = true;
            break;
        }
        if (!QFileInfo::exists(aside)) {
            break; // the rename failed for another reason than the name
        }
        aside = base + QLatin1Char('-') + QString::number(attempt);
    }
    if (moved) {
        qWarning("halomark: the settings file %s could not be parsed; it was kept as %s and "
                 "the settings start from the defaults",
                 qUtf8Printable(path), qUtf8Printable(aside));
    } else {
        mayWrite = false;
        qWarning("halomark: the settings file %s could not be parsed nor moved aside; the "
                 "settings start from the defaults, and changes will not be saved over it",
                 qUtf8Printable(path));
    }
}

void QtSettingsStore::save()
{
    if (!mayWrite) {
        return;
    }
    if (const auto failure = writeSettingsFile(path, document.text())) {
        warnOfWriteFailure(*failure);
        return;
    }
    writeFailureReported = false;
}

void QtSettingsStore::warnOfWriteFailure(const QString& reason)
{
    // Said once until a write succeeds again, not at every change.
    if (writeFailureReported) {
        return;
    }
    writeFailureReported = true;
    qWarning("halomark: the settings could not be saved to %s (%s); the changes hold until "
             "the program quits",
             qUtf8Printable(path), qUtf8Printable(reason));
}

} // namespace halomark::qt
