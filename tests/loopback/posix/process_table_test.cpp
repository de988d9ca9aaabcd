// Which processes run, as the journal replay sees them, on the real /proc.
#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

TEST(ProcessTable, AnEndedProcessDoesNotRunEvenBeforeItIsWaitedFor) {
    ProcessTable& table = systemProcessTable();
    const ProcessIdentity self = table.self();
    ASSERT_FALSE(self.startTime.empty());
    EXPECT_TRUE(table.isRunning(self));
    // The same id with another start time is another process: an id reused after a reboot or
    // a wrap-around.
    EXPECT_FALSE(table.isRunning({self.pid, self.startTime + "0"}));

    // The child tells its own identity, then ends; until it is reaped it is a zombie whose id
    // and start time are still in /proc, and it must not count as running.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        const std::string started = table.self().startTime;
        (void)!write(pipeFds[1], started.data(), started.size());
        _exit(0);
    }
    ASSERT_GT(child, 0);
    close(pipeFds[1]);
    std::string started;
    char buffer[128];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        started.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    const ProcessIdentity ended{static_cast<uint32_t>(child), started};
    bool running = true;
    for (int i = 0; i < 200 && running; ++i) {
        usleep(5000);
        running = table.isRunning(ended);
    }
    EXPECT_FALSE(running);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(table.isRunning(ended));
}
