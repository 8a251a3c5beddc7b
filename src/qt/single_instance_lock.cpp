#include "qt/single_instance_lock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
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
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        // Qt makes a private folder for the user when the session gives none.
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    return pathFor(folder, qEnvironmentVariable("DISPLAY"));
}

SingleInstanceLock::SingleInstanceLock(QString path) : filePath(std::move(path)) {}

SingleInstanceLock::~SingleInstanceLock()
{
    if (fd >= 0) {
        // Closing releases the lock; the file stays for the next instance.
        ::close(fd);
    }
}

SingleInstanceLock::Result SingleInstanceLock::tryAcquire()
{
    if (held) {
        return Result::acquired;
    }
    holderPid.reset();
    error.clear();
    if (fd < 0) {
        const QByteArray encoded = QFile::encodeName(filePath);
        fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = systemError(errno);
            return Result::unavailable;
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if (reason == EWOULDBLOCK) {
            holderPid = readPid(fd);
            return Result::heldByAnother;
        }
        error = systemError(reason);
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
