// Turns the signals that ask a process to end (SIGTERM, SIGINT, SIGHUP) into a call on the
// event loop, so that the program shuts down through its normal termination: the signal
// handler only writes the signal's number to a pipe, and a socket notifier reads it on the
// loop. While an instance lives it owns these signals; the handlers in place before come back
// when it goes. Only one instance may live at a time: the handler can reach nothing but the
// pipe of the instance that installed it.
#pragma once

#include <QObject>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace halomark::qt {

class QtTerminationSignals final : public QObject
{
public:
    // The handler runs on the event loop with the signal's number, once per signal received.
    explicit QtTerminationSignals(std::function<void(int)> handler);
    ~QtTerminationSignals() override;
    QtTerminationSignals(const QtTerminationSignals&) = delete;
    QtTerminationSignals& operator=(const QtTerminationSignals&) = delete;

    // False when the pipe or a handler could not be set up; the signals then end the process
    // at once as they would without this.
    bool isInstalled() const { return installed; }

    static const std::vector<int>& handledSignals();

private:
    void readSignals();

    std::function<void(int)> handler;
    int readEnd = -1;
    int writeEnd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::vector<std::pair<int, struct sigaction>> previous;
    bool installed = false;
};

} // namespace halomark::qt
