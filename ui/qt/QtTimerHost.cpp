#include "ui/qt/QtTimerHost.h"

#include <QTimer>

#include <algorithm>

QtTimerHost::QtTimerHost(std::function<void(int32_t id)> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick)) {}

void QtTimerHost::setTimer(int32_t id, uint32_t intervalMs) {
    Slot& slot = slots_[id];
    if (slot.timer == nullptr) {
        slot.timer = new QTimer(this);
        slot.timer->setSingleShot(true);
        slot.timer->setTimerType(Qt::PreciseTimer);
        connect(slot.timer, &QTimer::timeout, this, [this, id] { fire(id); });
    }
    const TimePoint now = std::chrono::steady_clock::now();
    const TimePoint anchor = tickDue_ != nullptr ? *tickDue_ : now;
    slot.due = std::max(anchor + std::chrono::milliseconds(intervalMs), now);
    // Rounded to the nearest millisecond: the deadlines themselves stay exact, so the rounding
    // of one tick is made good by the next.
    const auto wait = std::chrono::round<std::chrono::milliseconds>(slot.due - now);
    slot.timer->start(static_cast<int>(std::max<int64_t>(wait.count(), 0)));
}

void QtTimerHost::killTimer(int32_t id) {
    const auto found = slots_.find(id);
    if (found != slots_.end() && found->second.timer != nullptr) {
        found->second.timer->stop();
    }
}

void QtTimerHost::fire(int32_t id) {
    const TimePoint due = slots_[id].due;
    const TimePoint* outer = tickDue_;
    tickDue_ = &due;
    onTick_(id);
    tickDue_ = outer;
}
