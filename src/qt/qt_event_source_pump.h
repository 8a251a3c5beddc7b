// Feeds an event source that has its own socket (the system adapter's X connection) from Qt's
// event loop: the source processes what has arrived when its socket turns readable, and again
// each time the loop is about to wait, since events read while a reply was awaited sit in the
// library's queue and never make the socket readable. Processing reports whether the source
// still works; once it does not, the pump stops watching, as a closed socket stays readable.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace halomark::qt {

class QtEventSourcePump final : public QObject
{
public:
    // process returns false once the source is gone for good. processQueued, when given,
    // serves the passes before the loop waits, for a source that can look at what it has
    // already read without reading the socket again. Needs the QApplication.
    QtEventSourcePump(int fileDescriptor, std::function<bool()> process,
                      std::function<bool()> processQueued = {});
    ~QtEventSourcePump() override;
    QtEventSourcePump(const QtEventSourcePump&) = delete;
    QtEventSourcePump& operator=(const QtEventSourcePump&) = delete;

    bool isWatching() const { return watching; }
    // How often the source was asked to process.
    int passCount() const { return passes; }

private:
    void pump(const std::function<bool()>& pass);
    void stop();

    std::function<bool()> process;
    std::function<bool()> processQueued;
    std::unique_ptr<QSocketNotifier> notifier;
    QMetaObject::Connection aboutToBlock;
    bool watching = false;
    bool pumping = false;
    int passes = 0;
};

} // namespace halomark::qt
