#include "ports/NetPort.h"

#include <algorithm>

NetPort::NetPort(SocketFactory& sockets) : sockets_(sockets) {}

NetPort::~NetPort() = default;

int32_t NetPort::create() {
    // A socket left over from an earlier download is closed rather than leaked.
    socket_ = sockets_.createStream();
    lastErrorText_.clear();
    if (!socket_) {
        lastError_ = -1;
        lastErrorText_ = "the system refused a TCP socket";
        return 0;
    }
    return 1;
}

int32_t NetPort::connect(const std::string& address, int32_t port) {
    if (!socket_) {
        return 0;
    }
    if (port <= 0 || port > 65535) {
        lastErrorText_ =
            address + ":" + std::to_string(port) + ": not a TCP port number (1 to 65535)";
        return 0;
    }
    if (!socket_->connect(address, static_cast<uint16_t>(port))) {
        lastError_ = socket_->nativeError();
        lastErrorText_ = socket_->lastErrorText();
        if (lastErrorText_.empty()) {
            lastErrorText_ = address + ":" + std::to_string(port) + ": the connection failed";
        }
        return 0;
    }
    return 1;
}

int32_t NetPort::send(const uint8_t* data, int32_t length, int32_t /*flags*/) {
    if (!socket_ || length < 0 || (data == nullptr && length > 0)) {
        return -1;
    }
    const int32_t result = socket_->sendAll(data, length);
    if (result < 0) {
        lastError_ = socket_->nativeError();
        lastErrorText_ = socket_->lastErrorText();
        lastSendAccepted_ = std::clamp(socket_->lastSendAccepted(), 0, length);
    } else {
        lastSendAccepted_ = result;
    }
    lastSendLength_ = length;
    return result;
}

NetDelivery NetPort::delivery() {
    if (!socket_) {
        return {0, false, true};
    }
    NetDelivery d = socket_->delivery();
    d.acknowledged = std::clamp(d.acknowledged, 0, lastSendLength_);
    if (d.broken) {
        lastError_ = socket_->nativeError();
        lastErrorText_ = socket_->lastErrorText();
    }
    return d;
}

void NetPort::close() {
    socket_.reset();
}

// Detaching must not leak the descriptor: the failed socket is closed, and the object is free
// for the next create().
void NetPort::detach() {
    socket_.reset();
}
