#pragma once
// The TCP connection to a network printer: create, a blocking connect, one send of the whole
// image, close. After a failed connect the engine detaches it, so the next download can create
// it again.
#include "platform/NetSocket.h"
#include "ports/PrinterPort.h"

#include <cstdint>
#include <memory>
#include <string>

class NetPort final : public NetConnection {
  public:
    explicit NetPort(SocketFactory& sockets);
    ~NetPort() override;
    NetPort(const NetPort&) = delete;
    NetPort& operator=(const NetPort&) = delete;

    int32_t create() override;
    int32_t connect(const std::string& address, int32_t port) override;
    int32_t send(const uint8_t* data, int32_t length, int32_t flags) override;
    int32_t lastSendAccepted() const override { return lastSendAccepted_; }
    NetDelivery delivery() override;
    void close() override;
    void detach() override;
    // Kept past detach and close, until the next create.
    std::string lastErrorText() const override { return lastErrorText_; }

    bool isCreated() const { return socket_ != nullptr; }
    // errno or WSAGetLastError of the last failed call, 0 if none failed.
    int lastError() const { return lastError_; }

  private:
    SocketFactory& sockets_;
    std::unique_ptr<NetSocket> socket_;
    int lastError_ = 0;
    std::string lastErrorText_;
    int32_t lastSendAccepted_ = 0;
    int32_t lastSendLength_ = 0;
};
