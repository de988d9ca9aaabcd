#pragma once
// A background receive loop: calls poll() until stopped, waiting between polls for as long as
// poll() asks. stop() wakes the wait at once and joins; since poll() only makes bounded device
// calls, the thread always ends by itself and is never killed.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class ReaderThread {
  public:
    ReaderThread() = default;
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // poll returns how long to wait before the next poll, in milliseconds.
    void start(std::function<uint32_t()> poll);
    void stop();
    bool running() const { return thread_.joinable(); }
    // Set while stop() is waiting for the thread; long device waits in poll() watch it.
    const std::atomic<bool>& stopRequested() const { return stopRequested_; }

  private:
    void run(std::function<uint32_t()> poll);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopRequested_{false};
};
