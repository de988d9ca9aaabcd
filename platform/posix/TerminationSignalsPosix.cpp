#include "platform/Interrupt.h"
#include "platform/TerminationSignals.h"
#include "platform/posix/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {
constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

int pipeRead = -1;
int pipeWrite = -1;
bool watching = false;

// Does only async-signal-safe things: an atomic store and write(2).
void onTerminationSignal(int signo) {
    const int saved = errno;
    requestInterruptBySignal(signo);
    const unsigned char byte = static_cast<unsigned char>(signo);
    if (pipeWrite >= 0) {
        [[maybe_unused]] ssize_t ignored = write(pipeWrite, &byte, 1);
    }
    errno = saved;
}
} // namespace

void watchTerminationSignals() {
    if (watching) {
        return;
    }
    watching = true;
    // The pipe lives as long as the process: a signal may come at any moment until exit.
    if (pipeRead < 0) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            pipeRead = fds[0];
            pipeWrite = fds[1];
        }
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Blocking port and socket calls restart; the request is seen when they return.
    action.sa_flags = SA_RESTART;
    for (const int signo : watchedSignals) {
        sigaction(signo, &action, nullptr);
    }
}

void releaseTerminationSignals() {
    if (!watching) {
        return;
    }
    watching = false;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signo : watchedSignals) {
        sigaction(signo, &action, nullptr);
    }
    if (const int pending = interruptingSignal(); pending != 0) {
        raise(pending);
    }
}

int terminationSignalFd() {
    return watching ? pipeRead : -1;
}

const char* terminationSignalName(int signal) {
    switch (signal) {
    case SIGHUP:
        return "SIGHUP";
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "a signal";
    }
}
