// Which processes run, as the journal replay sees them, on the real /proc.
#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
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

// Only this program's own processes hold queues: a live process of another program with the
// right id and start time (a `sleep` named by a planted record) does not count as running.
TEST(ProcessTable, ALiveProcessOfAnotherProgramDoesNotCountAsRunning) {
    ProcessTable& table = systemProcessTable();
    const auto startTimeOfChild = [&](pid_t pid) {
        // The start time as self() would give it inside the child: this boot, the child's ticks.
        std::string stat;
        FILE* in = fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
        char line[1024] = {};
        if (in != nullptr) {
            (void)!fgets(line, sizeof line, in);
            fclose(in);
        }
        stat = line;
        const auto close = stat.rfind(')');
        std::string field;
        size_t at = close + 2;
        for (int number = 3; number <= 22; ++number) {
            const size_t end = stat.find(' ', at);
            field = stat.substr(at, end - at);
            at = end + 1;
        }
        const std::string self = table.self().startTime;
        return self.substr(0, self.find('-') + 1) + field;
    };

    int ready[2];
    ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
    const pid_t sameProgram = fork();
    if (sameProgram == 0) {
        close(ready[0]);
        close(ready[1]);
        pause();
        _exit(0);
    }
    const pid_t otherProgram = fork();
    if (otherProgram == 0) {
        close(ready[0]);
        execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // The pipe's write end closes at the exec: the child then runs sleep.
    char byte;
    (void)!read(ready[0], &byte, 1);
    close(ready[0]);

    EXPECT_TRUE(
        table.isRunning({static_cast<uint32_t>(sameProgram), startTimeOfChild(sameProgram)}));
    EXPECT_FALSE(
        table.isRunning({static_cast<uint32_t>(otherProgram), startTimeOfChild(otherProgram)}));
    kill(sameProgram, SIGKILL);
    kill(otherProgram, SIGKILL);
    waitpid(sameProgram, nullptr, 0);
    waitpid(otherProgram, nullptr, 0);
}
