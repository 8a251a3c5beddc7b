#include "qt/xdg_autostart_login_item_service.h"

#include "qt/xdg_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::qt {
namespace {

const QString kDesktopEntryGroup = QStringLiteral("Desktop Entry");
const QString kInstalledEntryName = QStringLiteral("org.halomark.Halomark.desktop");

// The system's description of an error number, always in English whatever the locale, since
// it becomes part of a sentence that is written in English.
std::string describeError(int error)
{
    if (const char* description = strerrordesc_np(error)) {
        return description;
    }
    return "error " + std::to_string(error);
}

std::string writeFailure(const QString& path, int error)
{
    return "Could not write the autostart entry " + path.toStdString() + ": " +
           describeError(error) + ".";
}

// Writes the file whole or not at all: the text goes to a temporary file beside it, reaches
// the disk, and only then replaces the old file in one rename.
std::optional<std::string> writeAtomically(const QString& path, const QByteArray& contents)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return writeFailure(path, errno);
    }
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return writeFailure(path, error);
    };
    if (::fchmod(fd, 0644) != 0) { // mkstemp makes the file private
        return fail(errno);
    }
    for (qsizetype written = 0; written < contents.size();) {
        const ssize_t n = ::write(fd, contents.constData() + written,
                                  static_cast<std::size_t>(contents.size() - written));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        written += n;
    }
    if (::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return writeFailure(path, error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return writeFailure(path, error);
    }
    return std::nullopt;
}

// Removes the general escapes of a desktop entry value: \s, \n, \t, \r and \\.
QString unescapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default: // not a general escape: left for the quoting rules of Exec
            out += c;
            out += next;
        }
    }
    return out;
}

QString escapeValue(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The Exec value that runs the program with no arguments. A path with a character that the
// command line reserves is quoted, with ", `, $ and \ escaped inside the quotes; a literal %
// is doubled, since % starts a field code.
QString execValueFor(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    QString argument;
    if (needsQuotes) {
        argument += QLatin1Char('"');
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                argument += QLatin1Char('\\');
            }
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = program;
    }
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeValue(argument);
}

// The program an Exec value runs: its first argument, unquoted, with %% read as %. Nothing
// for an empty value or an unterminated quote.
std::optional<QString> programOfExecValue(const QString& value)
{
    const QString line = unescapeValue(value);
    qsizetype i = 0;
    while (i < line.size() && (line.at(i) == QLatin1Char(' ') || line.at(i) == QLatin1Char('\t'))) {
        ++i;
    }
    QString argument;
    if (i < line.size() && line.at(i) == QLatin1Char('"')) {
        bool closed = false;
        for (++i; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == QLatin1Char('\\') && i + 1 < line.size()) {
                argument += line.at(++i);
            } else if (c == QLatin1Char('"')) {
                closed = true;
                break;
            } else {
                argument += c;
            }
        }
        if (!closed) {
            return std::nullopt;
        }
    } else {
        while (i < line.size() && line.at(i) != QLatin1Char(' ') &&
               line.at(i) != QLatin1Char('\t')) {
            argument += line.at(i++);
        }
    }
    if (argument.isEmpty()) {
        return std::nullopt;
    }
    return argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

// The keys of the [Desktop Entry] group; nothing when the file cannot be read.
std::optional<QHash<QString, QString>> readDesktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QHash<QString, QString> keys;
    QString group;
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (group != kDesktopEntryGroup || equals <= 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key)) { // the first of repeated keys counts
            keys.insert(key, line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

bool booleanIs(const QHash<QString, QString>& keys, const QString& key, bool expected)
{
    const auto found = keys.constFind(key);
    if (found == keys.constEnd()) {
        return false;
    }
    return found->compare(expected ? QLatin1String("true") : QLatin1String("false"),
                          Qt::CaseInsensitive) == 0;
}

bool isSameProgram(const QString& a, const QString& b)
{
    if (a == b) {
        return true;
    }
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// The group header of a line, or nothing when the line is not one.
std::optional<QString> groupOf(const QString& rawLine)
{
    const QString line = rawLine.trimmed();
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
        return line.mid(1, line.size() - 2);
    }
    return std::nullopt;
}

bool isExecLine(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals > 0 && line.left(equals).trimmed() == QLatin1String("Exec");
}

// The installed entry line by line, with the Exec of its [Desktop Entry] group replaced (or
// added when it has none); every other line, comment and group stays as it is. Nothing when
// the text has no [Desktop Entry] group.
std::optional<QString> entryWithExec(const QString& installed, const QString& exec)
{
    const QString execLine = QStringLiteral("Exec=") + exec;
    QStringList lines = installed.split(QLatin1Char('\n'));
    qsizetype header = -1;
    qsizetype end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto group = groupOf(lines.at(i));
        if (group && header >= 0) {
            end = i;
            break;
        }
        if (group == kDesktopEntryGroup) {
            header = i;
        }
    }
    if (header < 0) {
        return std::nullopt;
    }
    const auto first = std::find_if(lines.begin() + header + 1, lines.begin() + end, isExecLine);
    if (first == lines.begin() + end) {
        lines.insert(header + 1, execLine);
    } else {
        *first = execLine;
        // Only the first of repeated keys counts; the others must not survive it.
        lines.erase(std::remove_if(first + 1, lines.begin() + end, isExecLine),
                    lines.begin() + end);
    }
    QString text = lines.join(QLatin1Char('\n'));
    if (!text.endsWith(QLatin1Char('\n'))) {
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace

XdgAutostartLoginItemService::XdgAutostartLoginItemService()
    : XdgAutostartLoginItemService(defaultAutostartFolder(), runningProgramPath(),
                                   defaultApplicationFolders(runningProgramPath()))
{}

XdgAutostartLoginItemService::XdgAutostartLoginItemService(QString autostartFolder,
                                                           std::optional<QString> programPath,
                                                           QStringList applicationFolders)
    : folder(std::move(autostartFolder)), programPath(std::move(programPath)),
      applicationFolders(std::move(applicationFolders))
{}

QStringList
XdgAutostartLoginItemService::defaultApplicationFolders(const std::optional<QString>& programPath)
{
    QStringList folders;
    for (const QString& data : xdgDataFolders()) {
        folders += data + QStringLiteral("/applications");
    }
    if (programPath) {
        folders += QDir::cleanPath(QFileInfo(*programPath).absolutePath() +
                                   QStringLiteral("/../share/applications"));
    }
    return folders;
}

QString XdgAutostartLoginItemService::defaultAutostartFolder()
{
    return xdgConfigHome() + QStringLiteral("/autostart");
}

std::optional<QString> XdgAutostartLoginItemService::runningProgramPath()
{
    if (QCoreApplication::instance() == nullptr) {
        return std::nullopt;
    }
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty() || !QFileInfo(path).isAbsolute() || !QFileInfo::exists(path)) {
        return std::nullopt;
    }
    return path;
}

QString XdgAutostartLoginItemService::entryPath() const
{
    return folder + QStringLiteral("/halomark.desktop");
}

LoginItemStatus XdgAutostartLoginItemService::status() const
{
    if (!programPath) {
        return LoginItemStatus::notFound;
    }
    const auto keys = readDesktopEntry(entryPath());
    if (!keys) {
        return LoginItemStatus::notRegistered;
    }
    if (booleanIs(*keys, QStringLiteral("Hidden"), true) ||
        booleanIs(*keys, QStringLiteral("X-GNOME-Autostart-enabled"), false)) {
        return LoginItemStatus::requiresApproval;
    }
    const auto program = programOfExecValue(keys->value(QStringLiteral("Exec")));
    if (program && isSameProgram(*program, *programPath)) {
        return LoginItemStatus::enabled;
    }
    return LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostartLoginItemService::registerItem()
{
    if (!programPath) {
        return "Could not write the autostart entry " + entryPath().toStdString() +
               ": the location of this program is unknown.";
    }
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error) {
        return "Could not create the autostart folder " + folder.toStdString() + ": " +
               describeError(error.value()) + ".";
    }
    const QString exec = execValueFor(*programPath);
    for (const QString& applications : applicationFolders) {
        QFile installed(applications + QLatin1Char('/') + kInstalledEntryName);
        if (!installed.open(QIODevice::ReadOnly)) {
            continue;
        }
        if (const auto entry = entryWithExec(QString::fromUtf8(installed.readAll()), exec)) {
            return writeAtomically(entryPath(), entry->toUtf8());
        }
    }
    const QString contents = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Halomark\n"
                                            "Comment=Attention cues for demonstrations\n"
                                            "Exec=%1\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(exec);
    return writeAtomically(entryPath(), contents.toUtf8());
}

std::optional<std::string> XdgAutostartLoginItemService::unregisterItem()
{
    std::error_code error;
    std::filesystem::remove(QFile::encodeName(entryPath()).toStdString(), error);
    // A folder that is not there, or a file in its place, holds no entry either.
    if (error && error.value() != ENOTDIR) {
        return "Could not remove the autostart entry " + entryPath().toStdString() + ": " +
               describeError(error.value()) + ".";
    }
    return std::nullopt;
}

} // namespace halomark::qt
