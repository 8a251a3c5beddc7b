// The program's life around the core: its command line, one instance per display, the end of
// the application's loop and the termination signals that lead to it; the main loop on Qt's
// event loop: posted work in order and never inside the caller, delayed work never early,
// repeating timers that stop for good and keep ticking inside menus; and the pump that reads
// the X connection whenever the loop would wait.
#include "qt/command_line.h"
#include "qt/qt_application.h"
#include "qt/qt_event_source_pump.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_termination_signals.h"
#include "qt/single_instance_lock.h"

#include "qt_testing.h"

#include <QCoreApplication>
#include <QMenu>

#include <csignal>

#include <fcntl.h>

#include <sys/wait.h>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

TEST(CommandLine, HelpWinsWhereverItStandsCommandsTakeTheirValuesAndTheFirstMistakeIsNamed)
{
    using Action = CommandLine::Action;
    using Command = CommandLine::Command;
    const struct
    {
        std::vector<std::string> arguments;
        Action action;
        std::string error;
        Command command = Command::status;
    } cases[] = {
        // No arguments, locate and quit are run by the end-to-end tests.
        {{"-v"}, Action::showVersion, ""},
        {{"-h"}, Action::showHelp, ""},
        {{"--bogus", "--help"}, Action::showHelp, ""},
        {{"--version", "--help"}, Action::showHelp, ""},
        {{"--version", "--verbose"}, Action::reject, "unknown option '--verbose'"},
        {{"now", "--later"}, Action::reject, "unknown command 'now'"},
        {{"on"}, Action::sendCommand, "", Command::enable},
        {{"off"}, Action::sendCommand, "", Command::disable},
        {{"toggle"}, Action::sendCommand, "", Command::toggle},
        {{"status", "--help"}, Action::showHelp, ""},
        {{"highlight", "on"}, Action::sendCommand, "", Command::highlightOn},
        {{"highlight", "off"}, Action::sendCommand, "", Command::highlightOff},
        {{"highlight", "toggle"}, Action::sendCommand, "", Command::highlightToggle},
        {{"highlight"}, Action::reject, "highlight needs on, off or toggle"},
        {{"clicks", "up"}, Action::reject, "unexpected argument 'up'"},
        {{"spotlight"}, Action::reject, "spotlight needs on, off or toggle"},
        {{"spotlight", "toggle"}, Action::sendCommand, "", Command::spotlightToggle},
        {{"clicks", "off"}, Action::sendCommand, "", Command::clicksOff},
        {{"highlight", "up"}, Action::reject, "unexpected argument 'up'"},
        {{"locate", "now"}, Action::reject, "unexpected argument 'now'"},
        {{"--version", "status"}, Action::reject, "unexpected argument 'status'"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(line.error, c.error) << ::testing::PrintToString(c.arguments);
        if (c.action == Action::sendCommand) {
            EXPECT_EQ(line.command, c.command) << ::testing::PrintToString(c.arguments);
        }
    }
}

TEST(SingleInstanceLock, OneFilePerDisplayInAPrivateFolderHeldUntilItsHolderIsGoneHoweverItEnded)
{
    for (const auto& [display, name] : {std::pair{":0", "halomark-_0.lock"},
                                        {":0.1", "halomark-_0.lock"}, // one display, all screens
                                        {"localhost:10.0", "halomark-localhost_10.lock"},
                                        {"../x/y:3", "halomark-.._x_y_3.lock"},
                                        {"", "halomark.lock"}}) {
        EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1", display),
                  QString("/run/user/1/") + name);
    }

    // Only a regular file of ours in a private folder is trusted.
    testing::TestFolder folder;
    const QString runtime = folder.root();
    const QString path = folder.path("halomark-_5.lock");
    const auto refusal = [](const QString& path) {
        SingleInstanceLock lock(path);
        EXPECT_EQ(lock.tryAcquire(), SingleInstanceLock::Result::unavailable) << path.toStdString();
        return lock.errorDescription().toStdString();
    };
    for (const mode_t mode : {0770, 0705, 0755}) {
        ::chmod(QFile::encodeName(runtime).constData(), mode);
        EXPECT_NE(refusal(path).find(runtime.toStdString() + " is not private"), std::string::npos);
    }
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    // A link in the file's place is not followed and its target keeps what it holds.
    testing::writeFile(folder.path("target"), "precious");
    ASSERT_TRUE(QFile::link(folder.path("target"), path));
    EXPECT_EQ(refusal(path), path.toStdString() + " is a symbolic link, which is not followed");
    EXPECT_EQ(testing::readFile(folder.path("target")), "precious");
    ASSERT_TRUE(QFile::remove(path));

    // An instance that ended abruptly, without cleaning up, leaves its file behind yet blocks
    // nothing.
    if (const pid_t child = ::fork(); child == 0) {
        ::_exit((new SingleInstanceLock(path))->tryAcquire() == SingleInstanceLock::Result::acquired
                    ? 0
                    : 1);
    } else {
        int status = 1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(status, 0);
    }
    ASSERT_TRUE(QFile::exists(path));

    auto first = std::make_unique<SingleInstanceLock>(path);
    ASSERT_EQ(first->tryAcquire(), SingleInstanceLock::Result::acquired)
        << first->errorDescription().toStdString();
    EXPECT_EQ(first->tryAcquire(), SingleInstanceLock::Result::acquired) << "asking again";
    SingleInstanceLock second(path);
    EXPECT_EQ(second.tryAcquire(), SingleInstanceLock::Result::heldByAnother);
    EXPECT_EQ(second.holder(), ::getpid());
    first.reset();
    EXPECT_EQ(second.tryAcquire(), SingleInstanceLock::Result::acquired);
    EXPECT_FALSE(second.holder());

    // A folder that cannot hold the file is reported, not taken for another instance; without
    // a runtime folder there is no lock, never one in the working folder.
    EXPECT_FALSE(refusal(folder.path("missing/halomark-_7.lock")).empty());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    for (const char* value : {"", "relative/run"}) {
        qputenv("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(SingleInstanceLock::defaultPath(), QString()) << value;
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_NE(refusal("").find("no runtime folder"), std::string::npos);
    EXPECT_NE(refusal("halomark.lock").find("relative"), std::string::npos);
}

class RecordingDelegate final : public ApplicationDelegate
{
public:
    void applicationDidFinishLaunching() override
    {
        calls.push_back("launched");
        QTimer::singleShot(0, [] { QCoreApplication::quit(); }); // the loop ends from elsewhere
    }
    void applicationWillTerminate() override { calls.push_back("terminates"); }

    std::vector<std::string> calls;
};

TEST(QtApplication, TheEndOfTheLoopTellsTheDelegateOnceAndLaterLoopsRunOn)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    QtApplication application;
    application.setDelegate(delegate);
    application.run();
    application.terminate();
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"launched", "terminates"}));
    // Asked with no loop running, it leaves later loops alone.
    bool later = false;
    QTimer::singleShot(1, [&] { later = true; });
    EXPECT_TRUE(runEventsUntil([&] { return later; }));
}

volatile std::sig_atomic_t formerHandlerSaw = 0;
extern "C" void formerHandler(int number)
{
    formerHandlerSaw = number;
}

TEST(QtTerminationSignals, SignalsArriveOnTheLoopInOrderAndTheFormerHandlersComeBack)
{
    struct sigaction former = {};
    struct sigaction original = {};
    former.sa_handler = formerHandler;
    sigemptyset(&former.sa_mask);
    ASSERT_EQ(::sigaction(SIGTERM, &former, &original), 0);

    std::vector<int> received;
    {
        QtTerminationSignals watcher([&](int number) { received.push_back(number); });
        ASSERT_TRUE(watcher.isInstalled());
        QtTerminationSignals other([&](int) { ADD_FAILURE() << "the second watcher heard"; });
        EXPECT_FALSE(other.isInstalled());
        std::raise(SIGTERM);
        EXPECT_TRUE(received.empty()) << "handled on the loop, never inside the signal handler";
        std::raise(SIGINT);
        std::raise(SIGHUP);
        ASSERT_TRUE(runEventsUntil([&] { return received.size() == 3; }));
        EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
        EXPECT_EQ(formerHandlerSaw, 0);
    }
    std::raise(SIGTERM);
    EXPECT_EQ(formerHandlerSaw, SIGTERM) << "the handler in place before is back";
    EXPECT_TRUE(QtTerminationSignals([](int) {}).isInstalled()) << "the first watcher is gone";
    testing::runEventsFor(20);
    EXPECT_EQ(received.size(), 3u);
    ::sigaction(SIGTERM, &original, nullptr);
}

TEST(QtMainLoop, WorkRunsLaterInOrderNeverEarlyOnceAndTimersStopForGoodAndTickInMenus)
{
    QtMainLoop loop;
    std::vector<std::string> order;
    const double start = loop.now();
    std::vector<double> ranAt;
    const auto record = [&](std::string name) {
        return [&, name] {
            order.push_back(name);
            ranAt.push_back(loop.now() - start);
        };
    };
    loop.postAfter(0.06, record("late"));
    loop.postAfter(0.0209, record("early"));
    bool undelayedRan = false;
    loop.postAfter(0.0, [&] { undelayedRan = true; });
    // Work due within a millisecond still waits for its timer, after work already posted.
    bool subMillisecondWaited = false;
    loop.postAfter(0.0009, [&] { subMillisecondWaited = order.size() >= 2; });
    loop.post([&] {
        record("first")();
        loop.post(record("posted by first"));
    });
    loop.post(record("second"));
    EXPECT_TRUE(order.empty() && !undelayedRan) << "work ran inside the caller";

    int runs = 0; // a cancelled item that runs adds 10, an item run twice 2
    auto posted = WorkItem::make([&] { runs += 10; });
    auto delayed = WorkItem::make([&] { runs += 10; });
    auto once = WorkItem::make([&] { ++runs; });
    loop.post(posted);
    loop.postAfter(0.005, delayed);
    loop.post(once);
    loop.postAfter(0.005, once);
    posted->cancel();
    delayed->cancel();

    ASSERT_TRUE(runEventsUntil([&] { return order.size() == 5; }));
    EXPECT_TRUE(undelayedRan);
    EXPECT_TRUE(subMillisecondWaited) << "a delay under a millisecond was rounded to none";
    EXPECT_EQ(order,
              (std::vector<std::string>{"first", "second", "posted by first", "early", "late"}));
    // A delay between whole milliseconds rounds up; half a millisecond allows for the clock's
    // rounding, not for early timers.
    EXPECT_GE(ranAt[3], 0.0209 - 0.0005);
    EXPECT_GE(ranAt[4], 0.06 - 0.0005);
    EXPECT_EQ(runs, 1);

    // Repeating timers stop for good and tick inside a menu's loop.
    int invalidatedTicks = 0;
    auto invalidated = loop.scheduleRepeating(0.005, [&] { ++invalidatedTicks; });
    int destroyedTicks = 0;
    auto destroyed = loop.scheduleRepeating(0.005, [&] { ++destroyedTicks; });
    std::unique_ptr<RepeatingTimer> selfDestroyed;
    int selfDestroyedTicks = 0;
    selfDestroyed = loop.scheduleRepeating(0.005, [&] {
        if (++selfDestroyedTicks == 2) {
            selfDestroyed.reset();
        }
    });
    ASSERT_TRUE(runEventsUntil([&] { return invalidatedTicks >= 3 && destroyedTicks >= 3; }));
    invalidated->invalidate();
    destroyed.reset();
    const int ticksAtStop = invalidatedTicks + destroyedTicks;

    // A menu runs a loop of its own until it closes; timers and work go on inside it.
    QMenu menu;
    menu.addAction("Item");
    int ticksInside = 0;
    std::vector<std::string> ranInside;
    auto timer = loop.scheduleRepeating(0.005, [&] {
        if (menu.isVisible() && ++ticksInside == 5) {
            menu.close();
        }
    });
    QTimer::singleShot(0, [&] {
        loop.post([&] { ranInside.push_back(menu.isVisible() ? "posted" : "posted outside"); });
        loop.postAfter(0.01, [&] { ranInside.push_back(menu.isVisible() ? "delayed" : "late"); });
    });
    QTimer::singleShot(3000, &menu, &QMenu::close);
    menu.exec(QPoint(20, 20));
    EXPECT_EQ(ranInside, (std::vector<std::string>{"posted", "delayed"}));
    // Ticks inside the menu, of the stopped timers, of the one that destroyed itself.
    EXPECT_EQ(std::tuple(ticksInside, invalidatedTicks + destroyedTicks, selfDestroyedTicks),
              std::tuple(5, ticksAtStop, 2));
    EXPECT_EQ(selfDestroyed, nullptr);
}

// As the program uses it: readiness reads the socket; before each wait the source is asked for
// what it has already read, without reading the socket, until the socket closes.
TEST(QtEventSourcePump, ReadsWhenTheSocketIsReadableAndAsksBeforeEveryWaitUntilItCloses)
{
    // A pipe stands in for the X connection's socket.
    int pipe[2] = {-1, -1};
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC | O_NONBLOCK), 0);
    std::string arrived;
    int reads = 0;
    int queuedPasses = 0;
    QtEventSourcePump pump(
        pipe[0],
        [&] { // reads what is there; false once the writing end is closed
            ++reads;
            char buffer[16];
            ssize_t count = 0;
            while ((count = ::read(pipe[0], buffer, sizeof buffer)) > 0) {
                arrived.append(buffer, static_cast<std::size_t>(count));
            }
            return count != 0;
        },
        [&] { return ++queuedPasses > 0; });
    ASSERT_TRUE(pump.isWatching());
    testing::runEventsFor(20);
    EXPECT_GT(queuedPasses, 0);
    EXPECT_EQ(reads, 0) << "the socket was read without readiness";
    ASSERT_EQ(::write(pipe[1], "ab", 2), 2);
    ASSERT_TRUE(runEventsUntil([&] { return arrived == "ab"; }));
    ::close(pipe[1]);
    ASSERT_TRUE(runEventsUntil([&] { return !pump.isWatching(); }));
    const int passes = reads + queuedPasses;
    testing::runEventsFor(20);
    EXPECT_EQ(reads + queuedPasses, passes) << "asked after the source was gone";
    ::close(pipe[0]);
}

} // namespace
} // namespace halomark::qt
