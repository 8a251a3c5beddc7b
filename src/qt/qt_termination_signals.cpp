#include "qt/qt_termination_signals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace halomark::qt {
namespace {

// The write end of the live instance's pipe. A signal handler can reach nothing else; it is
// set before the handlers go in and cleared after they have come out.
std::atomic<int> signalPipe{-1};

extern "C" void writeSignalNumber(int number)
{
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        // Non-blocking: with the pipe full, signals already wait to be read.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

const std::vector<int>& QtTerminationSignals::handledSignals()
{
    static const std::vector<int> numbers{SIGTERM, SIGINT, SIGHUP};
    return numbers;
}

QtTerminationSignals::QtTerminationSignals(std::function<void(int)> handler)
    : handler(std::move(handler))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("halomark: cannot watch for termination signals: no pipe");
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    int expected = -1;
    if (!signalPipe.compare_exchange_strong(expected, writeEnd)) {
        qWarning("halomark: termination signals are already watched elsewhere");
        return;
    }
    notifier = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, this, [this] { readSignals(); });

    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed = true;
    for (int number : handledSignals()) {
        struct sigaction before = {};
        if (::sigaction(number, &action, &before) != 0) {
            installed = false;
            continue;
        }
        previous.emplace_back(number, before);
    }
}

QtTerminationSignals::~QtTerminationSignals()
{
    for (const auto& [number, before] : previous) {
        ::sigaction(number, &before, nullptr);
    }
    int mine = writeEnd;
    signalPipe.compare_exchange_strong(mine, -1);
    notifier.reset();
    if (readEnd >= 0) {
        ::close(readEnd);
    }
    if (writeEnd >= 0) {
        ::close(writeEnd);
    }
}

void QtTerminationSignals::readSignals()
{
    unsigned char numbers[64];
    for (;;) {
        const ssize_t count = ::read(readEnd, numbers, sizeof numbers);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            if (handler) {
                handler(numbers[i]);
            }
        }
    }
}

} // namespace halomark::qt
