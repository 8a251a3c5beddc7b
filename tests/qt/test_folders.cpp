#include "test_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::qt::testing {
namespace {

constexpr unsigned kUnprivilegedId = 65534; // nobody

} // namespace

TestFolder::TestFolder()
{
    if (dir.isValid()) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
}

UnwritableFolder::UnwritableFolder(QString folder) : path(std::move(folder))
{
    ::chmod(QFile::encodeName(path).constData(), 0555);
    if (::geteuid() == 0) {
        ::setfsgid(kUnprivilegedId);
        ::setfsuid(kUnprivilegedId);
        switchedUser = true;
    }
}

UnwritableFolder::~UnwritableFolder()
{
    if (switchedUser) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
    ::chmod(QFile::encodeName(path).constData(), 0755);
}

bool UnwritableFolder::refusesNewFiles() const
{
    QFile probe(path + QStringLiteral("/.probe"));
    if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(contents);
    }
}

} // namespace halomark::qt::testing
