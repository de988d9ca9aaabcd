#pragma once
// Window-style timers on Qt's event loop for the download engine: arm and kill by id, re-arming
// an id replaces it, each delivered once. Precise timers, and a timer re-armed from inside its
// own tick counts its interval from that tick's due time rather than from the moment it is
// re-armed, so a chain of 10 ms packet ticks keeps its pace however long each tick's work takes
// (a late tick fires at once, without a burst of catch-up ticks after it).
#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

class QTimer;

class QtTimerHost : public QObject {
  public:
    explicit QtTimerHost(std::function<void(int32_t id)> onTick, QObject* parent = nullptr);

    void setTimer(int32_t id, uint32_t intervalMs);
    void killTimer(int32_t id);

  private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Slot {
        QTimer* timer = nullptr;
        TimePoint due;
    };

    void fire(int32_t id);

    std::function<void(int32_t)> onTick_;
    std::map<int32_t, Slot> slots_;
    // Due time of the tick being delivered; a nested tick (one delivered while a dialog opened
    // by another is up) keeps its own.
    const TimePoint* tickDue_ = nullptr;
};
