#include "engine/PrinterConnection.h"

#include "engine/ModelRules.h"
#include "ports/PortDriver.h"

namespace {

class PortReplies final : public PrinterReplies {
  public:
    explicit PortReplies(std::unique_ptr<PortDriver> port) : port_(std::move(port)) {}
    ~PortReplies() override { port_->close(); }
    PortReplies(const PortReplies&) = delete;
    PortReplies& operator=(const PortReplies&) = delete;

    bool send(const uint8_t* data, int32_t length) override {
        return port_->write(data, length) == length;
    }
    int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        return port_->read(buffer, length, waitMs);
    }

  private:
    std::unique_ptr<PortDriver> port_;
};

class SocketReplies final : public PrinterReplies {
  public:
    explicit SocketReplies(std::unique_ptr<NetSocket> socket) : socket_(std::move(socket)) {}
    bool send(const uint8_t* data, int32_t length) override {
        return socket_->sendAll(data, length) == length;
    }
    int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        return socket_->receive(buffer, length, waitMs);
    }

  private:
    std::unique_ptr<NetSocket> socket_;
};

} // namespace

std::unique_ptr<PrinterReplies> connectToPrinter(const PortSettings& settings,
                                                 PrinterConnectionServices services,
                                                 std::string& why) {
    why.clear();
    if (portKindForName(settings.portName) == PortKind::Ethernet) {
        std::unique_ptr<NetSocket> socket = services.sockets.createStream();
        if (!socket) {
            why = "no socket could be made";
            return nullptr;
        }
        if (!socket->connect(settings.portName, static_cast<uint16_t>(settings.baudRate))) {
            why = socket->lastErrorText();
            return nullptr;
        }
        return std::make_unique<SocketReplies>(std::move(socket));
    }
    auto port = std::make_unique<PortDriver>(services.devices, services.clock);
    // The reader is started so that the printer's replies are collected on every port kind.
    if (port->configure(settings) == 0 || port->open(1) == 0) {
        why = port->lastErrorText();
        return nullptr;
    }
    return std::make_unique<PortReplies>(std::move(port));
}
