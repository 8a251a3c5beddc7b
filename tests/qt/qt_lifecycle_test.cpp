// The program's life around the core: its command line, one instance per display, the end of
// the application's loop and the termination signals that lead to it.
#include "qt/command_line.h"
#include "qt/qt_application.h"
#include "qt/qt_termination_signals.h"
#include "qt/single_instance_lock.h"

#include "qt_testing.h"

#include <QCoreApplication>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

TEST(CommandLine, HelpWinsWhereverItStandsAndTheFirstMistakeIsNamed)
{
    using Action = CommandLine::Action;
    const struct
    {
        std::vector<std::string> arguments;
        Action action;
        std::string error;
    } cases[] = {
        {{}, Action::run, ""},
        {{"-v"}, Action::showVersion, ""},
        {{"-h"}, Action::showHelp, ""},
        {{"--bogus", "--help"}, Action::showHelp, ""},
        {{"--version", "--help"}, Action::showHelp, ""},
        {{"--version", "--verbose"}, Action::reject, "unknown option '--verbose'"},
        {{"now", "--later"}, Action::reject, "unexpected argument 'now'"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(line.error, c.error) << ::testing::PrintToString(c.arguments);
    }
}

TEST(SingleInstanceLock, OneFilePerDisplayHeldUntilItsHolderIsGoneHoweverItEnded)
{
    for (const auto& [display, name] : {std::pair{":0", "halomark-_0.lock"},
                                        {":0.1", "halomark-_0.lock"}, // one display, all screens
                                        {"localhost:10.0", "halomark-localhost_10.lock"},
                                        {"../x/y:3", "halomark-.._x_y_3.lock"},
                                        {"", "halomark.lock"}}) {
        EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1", display),
                  QString("/run/user/1/") + name);
    }

    testing::TestFolder folder;
    const QString path = folder.path("halomark-_5.lock");
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

    // A folder that cannot hold the file is reported, not taken for another instance.
    SingleInstanceLock nowhere(folder.path("missing/halomark-_7.lock"));
    EXPECT_EQ(nowhere.tryAcquire(), SingleInstanceLock::Result::unavailable);
    EXPECT_FALSE(nowhere.errorDescription().isEmpty());
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

} // namespace
} // namespace halomark::qt
