#include "event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace halomark::qt::testing {
namespace {

// Qt's message handler is a plain function, so what it collects lives here.
std::vector<QString> captured;
std::optional<QtMsgType> capturedType;

void capture(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (!capturedType || type == *capturedType) {
        captured.push_back(message);
    }
}

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

void runEventsFor(int milliseconds)
{
    QEventLoop events;
    QTimer::singleShot(milliseconds, &events, &QEventLoop::quit);
    events.exec();
}

void runPendingEvents()
{
    for (int turn = 0; turn < 3; ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

MessageCapture::MessageCapture(std::optional<QtMsgType> only)
{
    captured.clear();
    capturedType = only;
    previous = qInstallMessageHandler(&capture);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
}

const std::vector<QString>& MessageCapture::messages() const
{
    return captured;
}

void MessageCapture::clear()
{
    captured.clear();
}

} // namespace halomark::qt::testing
