#include "qt/qt_event_source_pump.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>

#include <utility>

namespace halomark::qt {

QtEventSourcePump::QtEventSourcePump(int fileDescriptor, std::function<bool()> process)
    : process(std::move(process))
{
    if (fileDescriptor < 0) {
        return;
    }
    notifier = std::make_unique<QSocketNotifier>(fileDescriptor, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, this, [this] { pump(); });
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread())) {
        aboutToBlock = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                                        [this] { pump(); });
    }
    watching = true;
}

QtEventSourcePump::~QtEventSourcePump()
{
    stop();
}

void QtEventSourcePump::pump()
{
    // A listener that runs a nested loop would otherwise be fed again from inside itself.
    if (!watching || pumping) {
        return;
    }
    pumping = true;
    ++passes;
    const bool working = process();
    pumping = false;
    if (!working) {
        stop();
    }
}

void QtEventSourcePump::stop()
{
    watching = false;
    QObject::disconnect(aboutToBlock);
    if (notifier) {
        notifier->setEnabled(false);
    }
}

} // namespace halomark::qt
