#include "qt/single_instance_lock.h"

#include "test_folders.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace halomark::qt {
namespace {

using testing::TestFolder;
using Result = SingleInstanceLock::Result;

// Whether another process can take the lock file right now: a child tries and reports.
bool anotherProcessCouldLock(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(name.constData(), O_RDWR);
        const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::_exit(locked ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SingleInstanceLock, OneDisplayOneFileInTheRuntimeFolder)
{
    EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1000", ":0"),
              "/run/user/1000/halomark-_0.lock");
    // All screens of a display are one session.
    EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1000", ":0.1"),
              "/run/user/1000/halomark-_0.lock");
    EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1000", "localhost:10.0"),
              "/run/user/1000/halomark-localhost_10.lock");
    EXPECT_NE(SingleInstanceLock::pathFor("/run/user/1000", ":1"),
              SingleInstanceLock::pathFor("/run/user/1000", ":0"));
    // Nothing in the display's name can leave the folder.
    EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1000", "../x/y:3"),
              "/run/user/1000/halomark-.._x_y_3.lock");
    EXPECT_EQ(SingleInstanceLock::pathFor("/run/user/1000", ""), "/run/user/1000/halomark.lock");
}

TEST(SingleInstanceLock, ASecondInstanceIsToldWhoRunsUntilTheFirstHasGone)
{
    TestFolder folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.path("halomark-_5.lock");

    auto first = std::make_unique<SingleInstanceLock>(path);
    ASSERT_EQ(first->tryAcquire(), Result::acquired) << first->errorDescription().toStdString();
    EXPECT_EQ(first->tryAcquire(), Result::acquired) << "asking again changes nothing";
    EXPECT_FALSE(anotherProcessCouldLock(path));

    SingleInstanceLock second(path);
    EXPECT_EQ(second.tryAcquire(), Result::heldByAnother);
    EXPECT_EQ(second.holder(), ::getpid());

    first.reset();
    EXPECT_EQ(second.tryAcquire(), Result::acquired);
    EXPECT_FALSE(second.holder());
}

TEST(SingleInstanceLock, AnInstanceThatDiedWithoutCleaningUpBlocksNothing)
{
    TestFolder folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.path("halomark-_6.lock");

    // The child takes the lock and ends abruptly, leaving its file with its pid behind.
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstanceLock lock(path);
        const bool locked = lock.tryAcquire() == Result::acquired;
        ::_exit(locked ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(path));

    SingleInstanceLock next(path);
    EXPECT_EQ(next.tryAcquire(), Result::acquired);
    EXPECT_FALSE(anotherProcessCouldLock(path));
}

TEST(SingleInstanceLock, AFolderThatCannotHoldTheFileIsReportedNotTakenForAnotherInstance)
{
    TestFolder folder;
    ASSERT_TRUE(folder.isValid());
    SingleInstanceLock lock(folder.path("missing/halomark-_7.lock"));
    EXPECT_EQ(lock.tryAcquire(), Result::unavailable);
    EXPECT_FALSE(lock.errorDescription().isEmpty());
    EXPECT_FALSE(lock.holder());
}

} // namespace
} // namespace halomark::qt
