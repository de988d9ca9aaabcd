#pragma once
// The bytes a port's reader has received and read() has not yet taken. It never holds more
// than its capacity: append accepts only what fits, so a full buffer makes the reader leave
// the rest in the device until read() makes room.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class ReceiveBuffer {
  public:
    // Empties the buffer and gives it room for capacity bytes.
    void allocate(size_t capacity);
    void release();
    size_t append(const uint8_t* data, size_t length);
    // Moves up to length of the oldest bytes out, in arrival order.
    size_t take(uint8_t* out, size_t length);
    size_t count() const;
    size_t freeSpace() const;

  private:
    mutable std::mutex rxLock_;
    std::vector<uint8_t> rxBuffer_;
    size_t rxCount_ = 0;
};
