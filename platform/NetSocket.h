#pragma once
// One outgoing TCP stream. connect and sendAll block their caller until done; on Windows they
// keep dispatching the thread's window messages meanwhile so the windows stay painted.
#include <cstdint>
#include <memory>
#include <string>

// What the printer's side has made of the bytes of the last send. Bytes handed to the system
// are not yet in the printer: a printer that resets the connection after taking part of the
// image must not be reported as updated.
struct NetDelivery {
    // Bytes of the last send the printer's side has acknowledged. When `counted` is false the
    // system gives no such count: this is then only a lower bound for a report, and a
    // connection that was not reset is all that can be known of a complete delivery.
    int32_t acknowledged = 0;
    bool counted = false;
    // The printer reset the connection (or it broke otherwise): what it had not taken is lost.
    bool broken = false;
};

class NetSocket {
  public:
    virtual ~NetSocket() = default;
    // address: a dotted IPv4 address (a host name is resolved as a fallback).
    virtual bool connect(const std::string& address, uint16_t port) = 0;
    // Sends every byte; length on success, -1 on failure.
    virtual int32_t sendAll(const uint8_t* data, int32_t length) = 0;
    // How many bytes of the last sendAll the connection accepted, also when it failed part-way
    // (the printer may hold that much of the image).
    virtual int32_t lastSendAccepted() const { return 0; }
    // Up to length bytes the peer sends within waitMs: 0 when none came, -1 when the connection
    // is closed or broken.
    virtual int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) {
        (void)buffer;
        (void)length;
        (void)waitMs;
        return -1;
    }
    // Looks at the connection without waiting: how much of the last send the printer has
    // acknowledged, and whether the connection was reset. Sets lastErrorText for a reset.
    virtual NetDelivery delivery() { return {0, false, false}; }
    // errno or WSAGetLastError of the last failure.
    virtual int nativeError() const = 0;
    // The last failure in words, with the address ("192.0.2.7:9100: connection refused");
    // empty when nothing failed.
    virtual std::string lastErrorText() const { return {}; }
};

// How long a connect may wait for the printer to answer before it fails as timed out: a
// printer that silently drops the request would otherwise hold the run for the system's own
// limit (over two minutes on Linux).
constexpr unsigned connectLimitMs = 20000;

class SocketFactory {
  public:
    virtual ~SocketFactory() = default;
    // A new stream socket, or null when the system refuses one.
    virtual std::unique_ptr<NetSocket> createStream() = 0;
};

SocketFactory& systemSocketFactory();
