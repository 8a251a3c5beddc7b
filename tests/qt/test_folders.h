// Folders for the adapter tests: a temporary folder that every user may enter and read, and a
// scope in which a folder refuses new files and removals even when the tests run as root.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace halomark::qt::testing {

class TestFolder
{
public:
    TestFolder();
    bool isValid() const { return dir.isValid(); }
    // The path of the given name inside the folder.
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
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

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
