#include "qt/single_instance_lock.h"

#include "xdg/base_directories.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace halomark::qt {
namespace {

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

std::optional<pid_t> readPid(int fd)
{
    char buffer[32] = {};
    const ssize_t count = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (count <= 0) {
        return std::nullopt;
    }
    bool ok = false;
    const long value = QByteArray(buffer, static_cast<qsizetype>(count)).trimmed().toLong(&ok);
    if (!ok || value <= 0) {
        return std::nullopt;
    }
    return static_cast<pid_t>(value);
}

} // namespace

QString SingleInstanceLock::pathFor(const QString& runtimeFolder, const QString& displayName)
{
    QString display = displayName;
    // host:display.screen -> host:display
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const qsizetype dot = display.indexOf(QLatin1Char('.'), colon);
        if (dot >= 0) {
            display.truncate(dot);
        }
    }
    for (QChar& c : display) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!plain) {
            c = QLatin1Char('_');
        }
    }
    const QString name = display.isEmpty() ? QStringLiteral("halomark.lock")
                                           : QStringLiteral("halomark-%1.lock").arg(display);
    return QDir(runtimeFolder).filePath(name);
}

QString SingleInstanceLock::defaultPath()
{
    const auto folder = xdg::BaseDirectories::fromProcess().runtimeDir();
    if (!folder) {
        return {};
    }
    return pathFor(QFile::decodeName(QByteArray::fromStdString(folder->native())),
                   qEnvironmentVariable("DISPLAY"));
}

SingleInstanceLock::SingleInstanceLock(QString path) : filePath(std::move(path)) {}

SingleInstanceLock::~SingleInstanceLock()
{
    if (fd >= 0) {
        // Closing releases the lock; the file stays for the next instance.
        ::close(fd);
    }
}

std::optional<QString> SingleInstanceLock::open()
{
    if (filePath.isEmpty()) {
        return QStringLiteral(
            "no runtime folder: XDG_RUNTIME_DIR is unset or not an absolute path");
    }
    if (!QDir::isAbsolutePath(filePath)) {
        return QStringLiteral("the path %1 is relative").arg(filePath);
    }
    const QString folder = QFileInfo(filePath).absolutePath();
    struct stat status = {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0) {
        return QStringLiteral("the runtime folder %1: %2").arg(folder, systemError(errno));
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0) {
        return QStringLiteral("the runtime folder %1 is not private to this user (owner %2, mode "
                              "%3): anyone else could take or replace the lock")
            .arg(folder)
            .arg(status.st_uid)
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    }
    // Never through a link: it would let the pid be written over the link's target.
    const int opened = ::open(QFile::encodeName(filePath).constData(),
                              O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (opened < 0) {
        const int reason = errno;
        return reason == ELOOP
                   ? QStringLiteral("%1 is a symbolic link, which is not followed").arg(filePath)
                   : QStringLiteral("%1: %2").arg(filePath, systemError(reason));
    }
    if (::fstat(opened, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(opened);
        return QStringLiteral("%1 is not a regular file of this user").arg(filePath);
    }
    fd = opened;
    return std::nullopt;
}

SingleInstanceLock::Result SingleInstanceLock::tryAcquire()
{
    if (held) {
        return Result::acquired;
    }
    holderPid.reset();
    error.clear();
    if (fd < 0) {
        if (const auto refusal = open()) {
            error = *refusal;
            return Result::unavailable;
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if (reason == EWOULDBLOCK) {
            holderPid = readPid(fd);
            return Result::heldByAnother;
        }
        error = QStringLiteral("%1: %2").arg(filePath, systemError(reason));
        return Result::unavailable;
    }
    held = true;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The lock holds all the same; only the holder's name is missing for the next start.
        qWarning("halomark: could not note this process in %s", qPrintable(filePath));
    }
    return Result::acquired;
}

} // namespace halomark::qt
