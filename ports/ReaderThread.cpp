#include "ports/ReaderThread.h"

#include "platform/ThreadPriority.h"

#include <chrono>

ReaderThread::~ReaderThread() {
    stop();
}

void ReaderThread::start(std::function<uint32_t()> poll) {
    stop();
    stopRequested_ = false;
    thread_ = std::thread(&ReaderThread::run, this, std::move(poll));
}

void ReaderThread::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ReaderThread::run(std::function<uint32_t()> poll) {
    raiseCurrentThreadPriority();
    for (;;) {
        const uint32_t waitMs = poll();
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(waitMs),
                           [this] { return stopRequested_.load(); })) {
            return;
        }
    }
}
