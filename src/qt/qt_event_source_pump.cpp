#include "qt/qt_event_source_pump.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>

#include <utility>

namespace halomark::qt {

QtEventSourcePump::QtEventSourcePump(int fileDescriptor, std::function<bool()> process,
                                     std::function<bool()> processQueued)
    : process(std::move(process)), processQueued(std::move(processQueued))
{
    if (!this->processQueued) {
        this->processQueued = this->process;
    }
    if (fileDescriptor < 0) {
        return;
    }
    notifier = std::make_unique<QSocketNotifier>(fileDescriptor, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, this,
                     [this] { pump(this->process); });
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread())) {
        aboutToBlock = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                                        [this] { pump(this->processQueued); });
    }
    watching = true;
}

QtEventSourcePump::~QtEventSourcePump()
{
    stop();
}

void QtEventSourcePump::pump(const std::function<bool()>& pass)
{
    // A listener that runs a nested loop would otherwise be fed again from inside itself.
    if (!watching || pumping) {
        return;
    }
    pumping = true;
    ++passes;
    const bool working = pass();
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
