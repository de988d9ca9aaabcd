#pragma once
// Reads and writes on a non-blocking descriptor that end when a plan's limits say so.
#include "platform/DeviceTypes.h"
#include "platform/posix/CommDeadlines.h"

#include <atomic>
#include <cstdint>

// abandon, when given, is checked at least every 10 ms and ends the transfer early.
IoResult writeFd(int fd, const uint8_t* data, uint32_t length, int64_t limitMs,
                 const std::atomic<bool>* abandon = nullptr);
IoResult readFd(int fd, uint8_t* buffer, uint32_t length, const ReadPlan& plan,
                const std::atomic<bool>* abandon = nullptr);
