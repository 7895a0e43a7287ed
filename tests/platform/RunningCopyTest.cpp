#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/RunningCopy.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using namespace zelvo::platform;

namespace {

// A child process that holds the marker until it is killed.
pid_t StartHolder() {
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        RunningCopyMarker marker;
        (void)!::write(ready[1], "r", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char c;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
    return pid;
}

}  // namespace

TEST(RunningCopy, NoneBeforeAnyCopyHoldsTheMarker) {
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home("XDG_CONFIG_HOME", dir.Path());
    EXPECT_FALSE(RunningCopyExists());
    EXPECT_FALSE(RunningCopyExists());  // looking does not leave a marker behind
}

TEST(RunningCopy, ALaterCopySeesTheMarkerAndNotAfterSigkill) {
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home("XDG_CONFIG_HOME", dir.Path());
    pid_t holder = StartHolder();
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(RunningCopyExists());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(RunningCopyExists());
}

TEST(RunningCopy, SeveralCopiesHoldItTogether) {
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home("XDG_CONFIG_HOME", dir.Path());
    pid_t first = StartHolder();
    {
        RunningCopyMarker mine;  // this process is a running copy as well
        EXPECT_TRUE(RunningCopyExists());
    }
    EXPECT_TRUE(RunningCopyExists());
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    EXPECT_FALSE(RunningCopyExists());
}
