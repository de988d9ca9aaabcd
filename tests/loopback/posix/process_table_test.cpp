// Which processes run, as the journal replay sees them, on the real /proc.
#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Forks a child that tells its identity (as self() gives it inside the child) and then does
// `then` with its end of the pipe. Returns once that end is closed: by the child's exit, by its
// exec (the start time stays that of the fork), or by `then` itself.
ProcessIdentity startChild(pid_t& pid, const std::function<void(int)>& then) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0 || (pid = ::fork()) < 0) {
        return {};
    }
    if (pid == 0) {
        const std::string started = systemProcessTable().self().startTime;
        (void)!::write(fds[1], started.data(), started.size());
        then(fds[1]);
        _exit(0);
    }
    ::close(fds[1]);
    std::string started;
    char buffer[128];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        started.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    return {static_cast<uint32_t>(pid), started};
}

TEST(ProcessTable, AnEndedProcessDoesNotRunEvenBeforeItIsWaitedFor) {
    ProcessTable& table = systemProcessTable();
    const ProcessIdentity self = table.self();
    ASSERT_FALSE(self.startTime.empty());
    EXPECT_TRUE(table.isRunning(self));
    // The same id with another start time is another process: an id reused after a reboot or
    // a wrap-around.
    EXPECT_FALSE(table.isRunning({self.pid, self.startTime + "0"}));

    // Until it is reaped an ended child is a zombie whose id and start time are still in /proc,
    // and it must not count as running.
    pid_t child = -1;
    const ProcessIdentity ended = startChild(child, [](int) {});
    ASSERT_GT(child, 0);
    bool running = true;
    for (int i = 0; i < 200 && running; ++i) {
        usleep(5000);
        running = table.isRunning(ended);
    }
    EXPECT_FALSE(running);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(table.isRunning(ended));
}

// Only this program's own processes hold queues: a live process of another program with the
// right id and start time (a `sleep` named by a planted record) does not count as running.
TEST(ProcessTable, ALiveProcessOfAnotherProgramDoesNotCountAsRunning) {
    ProcessTable& table = systemProcessTable();
    pid_t same = -1;
    pid_t other = -1;
    const ProcessIdentity sameProgram = startChild(same, [](int fd) {
        ::close(fd);
        ::pause();
    });
    const ProcessIdentity otherProgram = startChild(
        other, [](int) { ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr)); });
    ASSERT_TRUE(same > 0 && other > 0);
    EXPECT_EQ(waitpid(other, nullptr, WNOHANG), 0) << "sleep did not start";

    EXPECT_TRUE(table.isRunning(sameProgram));
    EXPECT_FALSE(table.isRunning(otherProgram));
    for (const pid_t child : {same, other}) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

} // namespace
