#include "qt/qt_settings_store.h"

#include "qt/xdg_paths.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtGlobal>

#include <charconv>
#include <cmath>
#include <system_error>
#include <variant>

namespace halomark::qt {
namespace {

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};

void appendInteger(std::string& out, std::int64_t value)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

// The shortest text that reads back as the same double, always with a fraction or an
// exponent so that it reads back as a double at all. JSON has no infinities or NaN: those
// are written as null.
void appendDouble(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    const std::string_view number(text, static_cast<std::size_t>(result.ptr - text));
    out += number;
    if (number.find_first_of(".e") == std::string_view::npos) {
        out += ".0";
    }
}

template <class Number> std::optional<Number> parseNumber(const std::string& text)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

// How a value of the file reads. An integer too large for 64 bits reads as a double; a
// number too large for a double, like a list or a dictionary, is an other value.
SettingValue settingValueOf(const JsonValue& value)
{
    switch (value.kind) {
    case JsonValue::Kind::boolean:
        return value.boolean;
    case JsonValue::Kind::string:
        return value.text;
    case JsonValue::Kind::number:
        if (value.isIntegerNumber()) {
            if (const auto integer = parseNumber<std::int64_t>(value.text)) {
                return *integer;
            }
        }
        if (const auto real = parseNumber<double>(value.text)) {
            return *real;
        }
        break;
    case JsonValue::Kind::null:
    case JsonValue::Kind::array:
    case JsonValue::Kind::object:
        break;
    }
    std::string description;
    appendJson(description, value);
    return OtherSettingValue{description};
}

// An other value set by the program is written as the JSON its description holds when that
// is a list, a dictionary or null, so that it reads back as the same other value; any other
// description is written as a text.
JsonValue storedForm(const OtherSettingValue& other)
{
    if (auto parsed = parseJson(other.description)) {
        if (parsed->kind == JsonValue::Kind::array || parsed->kind == JsonValue::Kind::object ||
            parsed->kind == JsonValue::Kind::null) {
            return *std::move(parsed);
        }
    }
    JsonValue text;
    text.kind = JsonValue::Kind::string;
    text.text = other.description;
    return text;
}

void appendEntry(std::string& out, const SettingValue& value, const JsonValue& stored)
{
    std::visit(Overloaded{[&](bool b) { out += b ? "true" : "false"; },
                          [&](std::int64_t i) { appendInteger(out, i); },
                          [&](double d) { appendDouble(out, d); },
                          [&](const std::string& s) { appendJsonString(out, s); },
                          [&](const OtherSettingValue&) { appendJson(out, stored); }},
               value);
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
    const auto found = entries.find(key);
    if (found == entries.end()) {
        return std::nullopt;
    }
    return found->second.value;
}

void QtSettingsStore::set(const std::string& key, const SettingValue& value)
{
    Entry entry{value, JsonValue{}};
    if (const auto* other = std::get_if<OtherSettingValue>(&value)) {
        entry.stored = storedForm(*other);
    }
    entries.insert_or_assign(key, std::move(entry));
    save();
}

void QtSettingsStore::remove(const std::string& key)
{
    if (entries.erase(key) > 0) {
        save();
    }
}

void QtSettingsStore::load()
{
    QFile file(path);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        mayWrite = false;
        qWarning("halomark: the settings file %s cannot be read (%s); starting from the "
                 "defaults, and changes will not be saved over it",
                 qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return;
    }
    const QByteArray data = file.readAll();
    file.close();

    const auto document = parseJson(std::string_view(data.constData(), data.size()));
    if (!document || document->kind != JsonValue::Kind::object) {
        keepUnparsableFileAside();
        return;
    }
    // A key written twice counts with its last value, as JSON readers commonly do.
    for (std::size_t i = 0; i < document->keys.size(); ++i) {
        const JsonValue& value = document->items[i];
        entries.insert_or_assign(document->keys[i], Entry{settingValueOf(value), value});
    }
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
    std::string out = "{";
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        out += it == entries.begin() ? "\n    " : ",\n    ";
        appendJsonString(out, it->first);
        out += ": ";
        appendEntry(out, it->second.value, it->second.stored);
    }
    out += entries.empty() ? "}\n" : "\n}\n";

    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        warnOfWriteFailure(QStringLiteral("the folder %1 cannot be created").arg(folder));
        return;
    }
    // Written to a temporary file beside the old one and renamed over it only when complete;
    // never written in place, so a failure leaves the old file whole.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        warnOfWriteFailure(file.errorString());
        return;
    }
    file.write(out.data(), static_cast<qint64>(out.size()));
    if (!file.commit()) {
        warnOfWriteFailure(file.errorString());
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
