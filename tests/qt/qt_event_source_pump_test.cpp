#include "qt/qt_event_source_pump.h"

#include "event_loop.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

// A pipe standing in for the X connection's socket.
struct Pipe
{
    Pipe()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            readEnd = ends[0];
            writeEnd = ends[1];
        }
    }
    ~Pipe()
    {
        closeWriteEnd();
        if (readEnd >= 0) {
            ::close(readEnd);
        }
    }
    void write(char byte) const { ASSERT_EQ(::write(writeEnd, &byte, 1), 1); }
    void closeWriteEnd()
    {
        if (writeEnd >= 0) {
            ::close(writeEnd);
            writeEnd = -1;
        }
    }
    int readEnd = -1;
    int writeEnd = -1;
};

TEST(QtEventSourcePump, ProcessesWhenTheSocketTurnsReadableAndBeforeTheLoopWaits)
{
    Pipe pipe;
    ASSERT_GE(pipe.readEnd, 0);
    std::string arrived;
    bool sourceGone = false;
    QtEventSourcePump pump(pipe.readEnd, [&] {
        char buffer[16];
        for (;;) {
            const ssize_t count = ::read(pipe.readEnd, buffer, sizeof buffer);
            if (count > 0) {
                arrived.append(buffer, static_cast<std::size_t>(count));
                continue;
            }
            sourceGone = count == 0;
            return !sourceGone;
        }
    });
    ASSERT_TRUE(pump.isWatching());

    // Before every wait, even with nothing on the socket: events may wait in the library.
    bool waited = false;
    QTimer::singleShot(20, [&] { waited = true; });
    ASSERT_TRUE(runEventsUntil([&] { return waited; }));
    EXPECT_GT(pump.passCount(), 0);

    pipe.write('a');
    pipe.write('b');
    ASSERT_TRUE(runEventsUntil([&] { return arrived == "ab"; }));

    // The socket closes: the source says it is gone, and the pump stops asking.
    pipe.closeWriteEnd();
    ASSERT_TRUE(runEventsUntil([&] { return !pump.isWatching(); }));
    EXPECT_TRUE(sourceGone);
    const int passes = pump.passCount();
    waited = false;
    QTimer::singleShot(20, [&] { waited = true; });
    ASSERT_TRUE(runEventsUntil([&] { return waited; }));
    EXPECT_EQ(pump.passCount(), passes);
}

TEST(QtEventSourcePump, ASourceThatKeepsWhatItReadIsAskedForThatBeforeEachWait)
{
    Pipe pipe;
    ASSERT_GE(pipe.readEnd, 0);
    int reads = 0;
    int queuedPasses = 0;
    QtEventSourcePump pump(
        pipe.readEnd,
        [&] {
            char buffer[16];
            ++reads;
            return ::read(pipe.readEnd, buffer, sizeof buffer) != 0;
        },
        [&] {
            ++queuedPasses;
            return true;
        });

    // Waiting with nothing on the socket never reads it.
    bool waited = false;
    QTimer::singleShot(20, [&] { waited = true; });
    ASSERT_TRUE(runEventsUntil([&] { return waited; }));
    EXPECT_GT(queuedPasses, 0);
    EXPECT_EQ(reads, 0);

    // Readiness reads it; a closed socket still stops the pump.
    pipe.write('a');
    ASSERT_TRUE(runEventsUntil([&] { return reads > 0; }));
    pipe.closeWriteEnd();
    ASSERT_TRUE(runEventsUntil([&] { return !pump.isWatching(); }));
}

} // namespace
} // namespace halomark::qt
