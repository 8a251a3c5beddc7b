#include "qt_testing.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::qt::testing {
namespace {

// Qt's message handler is a plain function, so what it collects lives here.
std::vector<QString> captured;

constexpr unsigned kUnprivilegedId = 65534; // nobody

} // namespace

bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds)
{
    if (condition()) {
        return true;
    }
    QEventLoop events;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &events, [&] {
        if (condition()) {
            events.quit();
        }
    });
    check.start(1);
    QTimer::singleShot(limitMilliseconds, &events, &QEventLoop::quit);
    events.exec();
    return condition();
}

MessageCapture::MessageCapture()
{
    captured.clear();
    previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                         const QString& message) { captured.push_back(message); });
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
}

long MessageCapture::count(const QString& text) const
{
    return std::count_if(captured.begin(), captured.end(),
                         [&](const QString& message) { return message.contains(text); });
}

TestFolder::TestFolder()
{
    EXPECT_TRUE(dir.isValid());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
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
    QFile probe(path + "/.probe");
    if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        probe.remove();
        return false;
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
