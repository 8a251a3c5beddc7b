#include "event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace halomark::qt::testing {

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

} // namespace halomark::qt::testing
