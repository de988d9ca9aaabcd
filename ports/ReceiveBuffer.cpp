#include "ports/ReceiveBuffer.h"

#include <algorithm>
#include <cstring>

void ReceiveBuffer::allocate(size_t capacity) {
    std::lock_guard lock(rxLock_);
    rxBuffer_.assign(capacity, 0);
    rxCount_ = 0;
}

void ReceiveBuffer::release() {
    std::lock_guard lock(rxLock_);
    rxBuffer_.clear();
    rxBuffer_.shrink_to_fit();
    rxCount_ = 0;
}

size_t ReceiveBuffer::append(const uint8_t* data, size_t length) {
    std::lock_guard lock(rxLock_);
    const size_t accepted = std::min(length, rxBuffer_.size() - rxCount_);
    if (accepted > 0) {
        std::memcpy(rxBuffer_.data() + rxCount_, data, accepted);
        rxCount_ += accepted;
    }
    return accepted;
}

size_t ReceiveBuffer::take(uint8_t* out, size_t length) {
    std::lock_guard lock(rxLock_);
    const size_t moved = std::min(length, rxCount_);
    if (moved > 0) {
        std::memcpy(out, rxBuffer_.data(), moved);
        std::memmove(rxBuffer_.data(), rxBuffer_.data() + moved, rxCount_ - moved);
        rxCount_ -= moved;
    }
    return moved;
}

size_t ReceiveBuffer::count() const {
    std::lock_guard lock(rxLock_);
    return rxCount_;
}

size_t ReceiveBuffer::freeSpace() const {
    std::lock_guard lock(rxLock_);
    return rxBuffer_.size() - rxCount_;
}
