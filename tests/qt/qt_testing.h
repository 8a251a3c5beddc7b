// What the Qt adapter's tests share: running Qt's event loop until something has happened
// (the limit only keeps a failing test from hanging; no test depends on how long things
// take), the messages Qt logs meanwhile, and folders that are readable or refuse changes.
#pragma once

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::qt::testing {

// Runs the loop until the condition holds or the limit passes; true when it holds.
inline bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 3000)
{
    QEventLoop events;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &events, [&] {
        if (condition()) {
            events.quit();
        }
    });
    check.start(1);
    QTimer::singleShot(limitMilliseconds, &events, &QEventLoop::quit);
    if (!condition()) {
        events.exec();
    }
    return condition();
}

// Runs the loop for the given time, whatever happens meanwhile.
inline void runEventsFor(int milliseconds)
{
    runEventsUntil([] { return false; }, milliseconds);
}

// Collects the messages Qt logs while it lives (Qt's handler is a plain function, so what it
// collects lives in a static).
class MessageCapture
{
public:
    MessageCapture()
    {
        captured().clear();
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                             const QString& m) { captured().push_back(m); });
    }
    ~MessageCapture() { qInstallMessageHandler(previous); }

    // How many of them contain the text.
    long count(const QString& text) const
    {
        return std::ranges::count_if(captured(),
                                     [&](const QString& m) { return m.contains(text); });
    }

private:
    static std::vector<QString>& captured()
    {
        static std::vector<QString> messages;
        return messages;
    }
    QtMessageHandler previous = nullptr;
};

// A temporary folder that every user may enter and read.
class TestFolder
{
public:
    TestFolder() { ::chmod(QFile::encodeName(dir.path()).constData(), 0755); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString root() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// While it lives, the folder is read-only for this thread. Root ignores permissions, so when
// the tests run as root file access is checked as an unprivileged user (nobody) in the
// meantime (the file system user id is per thread and is given back at the end).
class UnwritableFolder
{
public:
    explicit UnwritableFolder(QString folder) : path(std::move(folder))
    {
        ::chmod(QFile::encodeName(path).constData(), 0555);
        if (switchedUser) {
            ::setfsgid(65534);
            ::setfsuid(65534);
        }
    }
    ~UnwritableFolder()
    {
        if (switchedUser) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
        ::chmod(QFile::encodeName(path).constData(), 0755);
    }

    // Whether creating a file there really fails; tests check it so that they cannot pass
    // without the refusal they are about.
    bool refusesNewFiles() const
    {
        QFile probe(path + "/.probe");
        return !(probe.open(QIODevice::WriteOnly | QIODevice::NewOnly) && probe.remove());
    }

private:
    QString path;
    bool switchedUser = ::geteuid() == 0;
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) >= 0)
        << path.toStdString();
}

} // namespace halomark::qt::testing
