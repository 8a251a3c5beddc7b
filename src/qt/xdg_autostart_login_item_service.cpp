#include "qt/xdg_autostart_login_item_service.h"

#include "qt/xdg_paths.h"
#include "xdg/atomic_file.h"
#include "xdg/bounded_file.h"
#include "xdg/desktop_entry.h"
#include "xdg/system_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include <sys/stat.h>

namespace halomark::qt {
namespace {

const QString kInstalledEntryName = QStringLiteral("org.halomark.Halomark.desktop");
constexpr mode_t kEntryMode = 0644;

std::filesystem::path pathOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString fromPath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::optional<std::string> writeEntry(const QString& path, const std::string& contents)
{
    if (auto error = xdg::writeFileAtomically(pathOf(path), contents, kEntryMode)) {
        return "Could not write the autostart entry " + *error + ".";
    }
    return std::nullopt;
}

// The program an Exec value runs: its first argument. Nothing for an empty value or an
// unterminated quote.
std::optional<QString> programOfExecValue(const std::string& value)
{
    const auto words = xdg::splitExec(value);
    if (!words || words->empty() || words->front().empty()) {
        return std::nullopt;
    }
    return QFile::decodeName(QByteArray::fromStdString(words->front()));
}

bool isSameProgram(const QString& a, const QString& b)
{
    if (a == b) {
        return true;
    }
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

XdgAutostartLoginItemService::XdgAutostartLoginItemService()
    : XdgAutostartLoginItemService(
          defaultAutostartFolder(),
          programToPin(runningProgramPath(), xdg::ProgramSearch::forThisSystem("halomark")),
          defaultApplicationFolders(runningProgramPath()))
{}

XdgAutostartLoginItemService::XdgAutostartLoginItemService(QString autostartFolder,
                                                           std::optional<QString> programPath,
                                                           QStringList applicationFolders)
    : XdgAutostartLoginItemService(std::move(autostartFolder),
                                   PinnedProgram{std::move(programPath), std::nullopt},
                                   std::move(applicationFolders))
{}

XdgAutostartLoginItemService::XdgAutostartLoginItemService(QString autostartFolder,
                                                           PinnedProgram program,
                                                           QStringList applicationFolders)
    : folder(std::move(autostartFolder)), programPath(std::move(program.path)),
      refusal(std::move(program.refusal)), applicationFolders(std::move(applicationFolders))
{}

XdgAutostartLoginItemService::PinnedProgram
XdgAutostartLoginItemService::programToPin(const std::optional<QString>& running,
                                           const xdg::ProgramSearch& search)
{
    if (!running) {
        return {};
    }
    const auto why = xdg::whyNotDurable(pathOf(*running), search.temporaryFolders);
    if (!why) {
        return {running, std::nullopt};
    }
    if (const auto installed = xdg::installedProgram(search)) {
        return {fromPath(*installed), std::nullopt};
    }
    return {std::nullopt, "Halomark cannot start at login from " + running->toStdString() + ": " +
                              *why +
                              ". Install Halomark (so that it is found as "
                              "halomark on the PATH) and turn this on again."};
}

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
    const auto read = xdg::readBoundedFile(pathOf(entryPath()));
    if (!read.contents) {
        return LoginItemStatus::notRegistered;
    }
    const auto entry = xdg::DesktopEntry::parse(*read.contents);
    if (entry.boolean("Hidden") == true || entry.boolean("X-GNOME-Autostart-enabled") == false) {
        return LoginItemStatus::requiresApproval;
    }
    const auto program = programOfExecValue(entry.value("Exec").value_or(""));
    if (program && isSameProgram(*program, *programPath)) {
        return LoginItemStatus::enabled;
    }
    return LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostartLoginItemService::registerItem()
{
    if (refusal) {
        return refusal;
    }
    if (!programPath) {
        return "Could not write the autostart entry " + entryPath().toStdString() +
               ": the location of this program is unknown.";
    }
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error) {
        return "Could not create the autostart folder " + folder.toStdString() + ": " +
               xdg::describeError(error.value()) + ".";
    }
    const std::string exec = xdg::execValueFor(pathOf(*programPath).native());
    for (const QString& applications : applicationFolders) {
        const auto installed =
            xdg::readBoundedFile(pathOf(applications + QLatin1Char('/') + kInstalledEntryName));
        if (!installed.contents) {
            continue;
        }
        if (const auto entry = xdg::withValue(*installed.contents, "Exec", exec)) {
            return writeEntry(entryPath(), *entry);
        }
    }
    const QString contents = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Halomark\n"
                                            "Comment=Attention cues for demonstrations\n"
                                            "Exec=%1\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(QString::fromStdString(exec));
    return writeEntry(entryPath(), contents.toStdString());
}

std::optional<std::string> XdgAutostartLoginItemService::unregisterItem()
{
    std::error_code error;
    std::filesystem::remove(QFile::encodeName(entryPath()).toStdString(), error);
    // A folder that is not there, or a file in its place, holds no entry either.
    if (error && error.value() != ENOTDIR) {
        return "Could not remove the autostart entry " + entryPath().toStdString() + ": " +
               xdg::describeError(error.value()) + ".";
    }
    return std::nullopt;
}

} // namespace halomark::qt
