#pragma once
// A one-connection TCP sink on 127.0.0.1 for measuring the network port (bench/ports_bench): it
// accepts one peer, reads until the peer closes, and checks each byte against the pattern sent.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using TestSocket = SOCKET;
inline void closeTestSocket(TestSocket s) {
    closesocket(s);
}
// Sockets work only between WSAStartup and WSACleanup.
struct SocketSession {
    SocketSession() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~SocketSession() { WSACleanup(); }
};
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
using TestSocket = int;
inline void closeTestSocket(TestSocket s) {
    ::close(s);
}
struct SocketSession {};
#endif

#include <cstdint>
#include <thread>

// The byte at offset i of a test image.
inline uint8_t patternByte(uint64_t i) {
    return static_cast<uint8_t>((i * 31 + 7) ^ (i >> 11));
}

class PortTcpListener {
  public:
    PortTcpListener() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        ::listen(socket_, 1);
        thread_ = std::thread([this] { drain(); });
    }
    ~PortTcpListener() {
        finish();
        closeTestSocket(socket_);
    }
    uint16_t port() const { return port_; }
    // Waits for the peer to close; then the counts are final.
    void finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    uint64_t received() const { return received_; }
    uint64_t mismatches() const { return mismatches_; }

  private:
    void drain() {
        const TestSocket peer = ::accept(socket_, nullptr, nullptr);
        static char chunk[65536];
        int n = 0;
        while ((n = ::recv(peer, chunk, sizeof chunk, 0)) > 0) {
            for (int i = 0; i < n; ++i) {
                mismatches_ += static_cast<uint8_t>(chunk[i]) != patternByte(received_ + i);
            }
            received_ += static_cast<uint64_t>(n);
        }
        closeTestSocket(peer);
    }

    SocketSession session_; // first in, last out
    TestSocket socket_;
    uint16_t port_ = 0;
    std::thread thread_;
    uint64_t received_ = 0;
    uint64_t mismatches_ = 0;
};
