// One Halomark per user session: the running instance holds an exclusive lock (flock) on a file
// in the user's runtime folder, named after the X display, so that sessions on other displays
// keep their own. The kernel lets go of the lock when the holder exits in any way, so a crashed
// instance never blocks the next start. The file holds the holder's process id, to name it.
// The file is trusted only as far as it is ours: its folder must be owned by this user and
// closed to everyone else, the file is never reached through a symbolic link and must be a
// regular file of this user; otherwise the lock is unavailable and says why.
#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

namespace halomark::qt {

class SingleInstanceLock
{
public:
    enum class Result
    {
        acquired,
        heldByAnother, // another instance runs
        unavailable,   // the lock file cannot be used; nothing is known of other instances
    };

    // The lock file for the display in the runtime folder, e.g. /run/user/1000/halomark-_0.lock
    // for ":0". Characters other than letters, digits, '.', '-' and '_' become '_', and the
    // screen number (":0.1") is dropped, as all screens of a display are one session.
    static QString pathFor(const QString& runtimeFolder, const QString& displayName);
    // The file for $DISPLAY in $XDG_RUNTIME_DIR; empty when that is unset or relative, as no
    // folder is then known to be the user's own (and the lock is unavailable).
    static QString defaultPath();

    explicit SingleInstanceLock(QString path);
    ~SingleInstanceLock(); // releases the lock
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    Result tryAcquire();

    const QString& path() const { return filePath; }
    // After heldByAnother: the holder's process id, when it has written it yet.
    std::optional<pid_t> holder() const { return holderPid; }
    // After unavailable: why, naming the file or folder.
    const QString& errorDescription() const { return error; }

private:
    // Opens the file when it and its folder can be trusted; otherwise why not.
    std::optional<QString> open();

    QString filePath;
    int fd = -1;
    bool held = false;
    std::optional<pid_t> holderPid;
    QString error;
};

} // namespace halomark::qt
