#include "platform/SocketLayer.h"

#include <utility>

// BSD sockets need no start-up.
SocketLayer::SocketLayer() : status_{true, 0, 0} {}
SocketLayer::~SocketLayer() = default;
SocketLayer::SocketLayer(SocketLayer&& other) noexcept
    : status_(std::exchange(other.status_, {})) {}
SocketLayer& SocketLayer::operator=(SocketLayer&& other) noexcept {
    status_ = std::exchange(other.status_, {});
    return *this;
}
