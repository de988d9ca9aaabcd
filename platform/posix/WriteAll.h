#pragma once
// Writes every byte to a file descriptor, going on after a signal interrupts a write. False
// when a write fails or takes nothing.
#include <cerrno>
#include <string_view>
#include <unistd.h>

inline bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}
