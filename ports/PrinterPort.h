#pragma once
// What the download engine needs of a printer connection. PortDriver (serial, parallel, USB)
// implements PrinterPort and NetPort implements NetConnection; tests substitute fakes that
// check the conversation.
#include "platform/NetSocket.h"
#include "ports/PortSettings.h"

#include <cstdint>
#include <string>

class PrinterPort {
  public:
    virtual ~PrinterPort() = default;
    // 1 when the settings are accepted, 0 when rejected.
    virtual int32_t configure(PortSettings settings) = 0;
    // 1 when open, 0 on failure.
    virtual int32_t open(int32_t startReader) = 0;
    // Number of bytes the device accepted.
    virtual int32_t write(const uint8_t* data, int32_t length) = 0;
    // Number of bytes delivered into buffer.
    virtual int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs) = 0;
    virtual void close() = 0;
    // Why the last open, configure or write failed, in words a user can act on: the device path
    // and the system's reason ("/dev/ttyS0: permission denied ..."); empty when nothing failed
    // or the reason is unknown.
    virtual std::string lastErrorText() const { return {}; }
};

// One outgoing TCP stream. Connect and send block the caller until they finish; on Windows
// they keep the caller's window messages flowing while they wait.
class NetConnection {
  public:
    virtual ~NetConnection() = default;
    // Non-zero when a stream socket was created.
    virtual int32_t create() = 0;
    // Non-zero when connected to address:port.
    virtual int32_t connect(const std::string& address, int32_t port) = 0;
    // The whole buffer, or a negative result on failure.
    virtual int32_t send(const uint8_t* data, int32_t length, int32_t flags) = 0;
    // How many bytes the last send handed to the connection, also when it failed part-way.
    virtual int32_t lastSendAccepted() const { return 0; }
    // What the printer has made of the last send so far (acknowledged bytes, a reset), looked
    // at without waiting; the engine watches it until the end of the run.
    virtual NetDelivery delivery() { return {0, false, false}; }
    virtual void close() = 0;
    // Drops the socket without using it again, so the next download can create it afresh.
    virtual void detach() = 0;
    // Why the last create, connect or send failed, with the address ("192.0.2.7:9100: connection
    // refused"); empty when nothing failed or the reason is unknown.
    virtual std::string lastErrorText() const { return {}; }
};
