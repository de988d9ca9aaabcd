#include "platform/Interrupt.h"
#include "platform/NetSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace {
enum class PumpResult { Signalled, TimedOut, Failed };

// Waits for the socket's event while dispatching the thread's window messages, as a
// message-pumping blocking socket does, so windows stay painted. Failed when WM_QUIT arrives
// (it is posted again for the outer loop) or the wait fails; TimedOut after timeoutMs.
PumpResult pumpUntilSignalled(HANDLE event, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs) {
            return PumpResult::TimedOut;
        }
        const DWORD left = timeoutMs == INFINITE ? INFINITE : timeoutMs - elapsed;
        const DWORD r = MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            return PumpResult::Signalled;
        }
        if (r == WAIT_TIMEOUT) {
            return PumpResult::TimedOut;
        }
        if (r != WAIT_OBJECT_0 + 1) {
            return PumpResult::Failed;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return PumpResult::Failed;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool resolveIpv4(const std::string& address, in_addr& out) {
    const unsigned long dotted = inet_addr(address.c_str());
    if (dotted != INADDR_NONE || address == "255.255.255.255") {
        out.s_addr = dotted;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

class Win32NetSocket final : public NetSocket {
  public:
    Win32NetSocket(SOCKET s, HANDLE event) : socket_(s), event_(event) {}
    ~Win32NetSocket() override {
        closesocket(socket_);
        WSACloseEvent(event_);
    }
    Win32NetSocket(const Win32NetSocket&) = delete;
    Win32NetSocket& operator=(const Win32NetSocket&) = delete;

    bool connect(const std::string& address, uint16_t port) override {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        if (address.empty() || !resolveIpv4(address, target.sin_addr)) {
            error_ = WSAHOST_NOT_FOUND;
            return false;
        }
        // The event selection also makes the socket non-blocking.
        if (WSAEventSelect(socket_, event_, FD_CONNECT | FD_WRITE | FD_CLOSE) != 0) {
            error_ = WSAGetLastError();
            return false;
        }
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
            return true;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error_ = WSAGetLastError();
            return false;
        }
        for (;;) {
            WSANETWORKEVENTS events{};
            // The system's own connect timeout ends the wait for an unreachable printer.
            if (pumpUntilSignalled(event_, INFINITE) != PumpResult::Signalled ||
                WSAEnumNetworkEvents(socket_, event_, &events) != 0) {
                error_ = WSAEINTR;
                return false;
            }
            if (events.lNetworkEvents & FD_CONNECT) {
                error_ = events.iErrorCode[FD_CONNECT_BIT];
                return error_ == 0;
            }
        }
    }

    int32_t sendAll(const uint8_t* data, int32_t length) override {
        int32_t sent = 0;
        while (sent < length) {
            const int n =
                ::send(socket_, reinterpret_cast<const char*>(data + sent), length - sent, 0);
            if (n != SOCKET_ERROR) {
                sent += n;
                continue;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                error_ = WSAGetLastError();
                return -1;
            }
            // A printer that takes nothing for sendStallLimitMs ends the send as failed.
            const PumpResult waited = pumpUntilSignalled(event_, sendStallLimitMs);
            if (waited == PumpResult::TimedOut) {
                error_ = WSAETIMEDOUT;
                return -1;
            }
            WSANETWORKEVENTS events{};
            if (waited == PumpResult::Failed ||
                WSAEnumNetworkEvents(socket_, event_, &events) != 0) {
                error_ = WSAEINTR;
                return -1;
            }
            if (events.lNetworkEvents & FD_CLOSE) {
                error_ = events.iErrorCode[FD_CLOSE_BIT] != 0 ? events.iErrorCode[FD_CLOSE_BIT]
                                                              : WSAECONNRESET;
                return -1;
            }
        }
        return length;
    }

    int nativeError() const override { return error_; }

  private:
    SOCKET socket_;
    HANDLE event_;
    int error_ = 0;
};

class Win32SocketFactory final : public SocketFactory {
  public:
    std::unique_ptr<NetSocket> createStream() override {
        if (!started_) {
            return nullptr;
        }
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) {
            return nullptr;
        }
        const HANDLE event = WSACreateEvent();
        if (event == WSA_INVALID_EVENT) {
            closesocket(s);
            return nullptr;
        }
        return std::make_unique<Win32NetSocket>(s, event);
    }

    Win32SocketFactory() {
        // Reference-counted by Winsock, so it does no harm beside the start-up's own call.
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Win32SocketFactory() override {
        if (started_) {
            WSACleanup();
        }
    }

  private:
    bool started_ = false;
};
} // namespace

SocketFactory& systemSocketFactory() {
    static Win32SocketFactory factory;
    return factory;
}
