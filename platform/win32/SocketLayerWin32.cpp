#include "platform/SocketLayer.h"

#include <utility>
#include <windows.h>
#include <winsock2.h>

SocketLayer::SocketLayer() {
    WSADATA data{};
    const int result = WSAStartup(MAKEWORD(2, 2), &data);
    if (result == 0) {
        status_ = {true, 0, 0};
    } else {
        // WSAStartup reports its error as its result; WSAGetLastError is not usable yet.
        status_ = {false, result, static_cast<int32_t>(GetLastError())};
    }
}

SocketLayer::~SocketLayer() {
    if (status_.started) {
        WSACleanup();
    }
}

SocketLayer::SocketLayer(SocketLayer&& other) noexcept
    : status_(std::exchange(other.status_, {})) {}

SocketLayer& SocketLayer::operator=(SocketLayer&& other) noexcept {
    if (this != &other) {
        if (status_.started) {
            WSACleanup();
        }
        status_ = std::exchange(other.status_, {});
    }
    return *this;
}
