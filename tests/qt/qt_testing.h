// What the Qt adapter's tests share: running Qt's event loop until something has happened
// (the limit only keeps a failing test from hanging; no test depends on how long things
// take), the messages Qt logs meanwhile, and folders that are readable or refuse changes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace halomark::qt::testing {

// Runs the loop until the condition holds or the limit passes; true when it holds.
bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 3000);

// Runs the loop for the given time, whatever happens meanwhile.
inline void runEventsFor(int milliseconds)
{
    runEventsUntil([] { return false; }, milliseconds);
}

// Collects the messages Qt logs while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();

    // How many of them contain the text.
    long count(const QString& text) const;

private:
    QtMessageHandler previous = nullptr;
};

// A temporary folder that every user may enter and read.
class TestFolder
{
public:
    TestFolder();
    QString path(const QString& name) const { return dir.filePath(name); }
    QString root() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// While it lives, the folder is read-only for this thread. Root ignores permissions, so when
// the tests run as root file access is checked as an unprivileged user in the meantime (the
// file system user id is per thread and is given back at the end).
class UnwritableFolder
{
public:
    explicit UnwritableFolder(QString path);
    ~UnwritableFolder();

    // Whether creating a file there really fails; tests check it so that they cannot pass
    // without the refusal they are about.
    bool refusesNewFiles() const;

private:
    QString path;
    bool switchedUser = false;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& contents);

} // namespace halomark::qt::testing
