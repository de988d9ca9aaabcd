#include "platform/Interrupt.h"
#include "platform/NetSocket.h"
#include "platform/win32/Win32ErrorText.h"

#include <algorithm>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace {
// SIO_TCP_INFO and its version 0 answer (Windows 10 1703), declared here because the headers
// offer them only to programs built for that version and later; older systems refuse the call.
constexpr DWORD sioTcpInfo = _WSAIORW(IOC_VENDOR, 39);
struct TcpInfoV0 {
    int State;
    ULONG Mss;
    ULONG64 ConnectionTimeMs;
    BOOLEAN TimestampsEnabled;
    ULONG RttUs;
    ULONG MinRttUs;
    ULONG BytesInFlight;
    ULONG Cwnd;
    ULONG SndWnd;
    ULONG RcvWnd;
    ULONG RcvBuf;
    ULONG64 BytesOut;
    ULONG64 BytesIn;
    ULONG BytesReordered;
    ULONG BytesRetrans;
    ULONG FastRetrans;
    ULONG DupAcksIn;
    ULONG TimeoutEpisodes;
    UCHAR SynRetrans;
};

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
        target_ = address + ":" + std::to_string(port);
        errorText_.clear();
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        if (address.empty() || !resolveIpv4(address, target.sin_addr)) {
            error_ = WSAHOST_NOT_FOUND;
            errorText_ = target_ + ": not an IP address, and no host of that name is known";
            return false;
        }
        // The event selection also makes the socket non-blocking.
        if (WSAEventSelect(socket_, event_, FD_CONNECT | FD_WRITE | FD_CLOSE) != 0) {
            return failed(WSAGetLastError());
        }
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
            return true;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            return failed(WSAGetLastError());
        }
        const DWORD start = GetTickCount();
        for (;;) {
            // Our own bound, as on Linux: a printer that drops the request fails as timed out
            // instead of waiting for the system's limit.
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= connectLimitMs) {
                return failed(WSAETIMEDOUT);
            }
            WSANETWORKEVENTS events{};
            const PumpResult waited = pumpUntilSignalled(event_, connectLimitMs - elapsed);
            if (waited == PumpResult::TimedOut) {
                return failed(WSAETIMEDOUT);
            }
            if (waited != PumpResult::Signalled ||
                WSAEnumNetworkEvents(socket_, event_, &events) != 0) {
                return failed(WSAEINTR);
            }
            if (events.lNetworkEvents & FD_CONNECT) {
                const int error = events.iErrorCode[FD_CONNECT_BIT];
                return error == 0 ? true : failed(error);
            }
        }
    }

    int32_t sendAll(const uint8_t* data, int32_t length) override {
        int32_t& sent = sent_;
        sent = 0;
        while (sent < length) {
            const int n =
                ::send(socket_, reinterpret_cast<const char*>(data + sent), length - sent, 0);
            if (n != SOCKET_ERROR) {
                sent += n;
                continue;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                return sendFailed(WSAGetLastError());
            }
            // A printer that takes nothing for sendStallLimitMs ends the send as failed.
            const PumpResult waited = pumpUntilSignalled(event_, sendStallLimitMs);
            if (waited == PumpResult::TimedOut) {
                errorText_ = target_ + ": the printer took no data for " +
                             std::to_string(sendStallLimitMs / 1000) + " s";
                error_ = WSAETIMEDOUT;
                return -1;
            }
            WSANETWORKEVENTS events{};
            if (waited == PumpResult::Failed ||
                WSAEnumNetworkEvents(socket_, event_, &events) != 0) {
                return sendFailed(WSAEINTR);
            }
            if (events.lNetworkEvents & FD_CLOSE) {
                return sendFailed(events.iErrorCode[FD_CLOSE_BIT] != 0
                                      ? events.iErrorCode[FD_CLOSE_BIT]
                                      : WSAECONNRESET);
            }
        }
        return length;
    }

    int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        // The socket is non-blocking (event selection): a select bounds the wait.
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
        const int ready = ::select(0, &readable, nullptr, nullptr, &limit);
        if (ready <= 0) {
            return ready < 0 ? -1 : 0;
        }
        const int n = ::recv(socket_, reinterpret_cast<char*>(buffer), length, 0);
        if (n == SOCKET_ERROR) {
            return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
        }
        return n > 0 ? n : -1; // 0: the printer closed the connection
    }

    // Windows 10 1703 and later count the acknowledged bytes (SIO_TCP_INFO). Older systems and
    // Wine give no count, and nothing is said to have reached the printer then: the send
    // buffer's size is no bound, as the stack grows it past what SO_SNDBUF says (under Wine the
    // host took in 3.5 MB of an image while SO_SNDBUF said 16 KiB). Without a count only the
    // end of the connection can be seen, and that is watched on every call.
    NetDelivery delivery() override {
        NetDelivery d;
        DWORD version = 0;
        TcpInfoV0 info{};
        DWORD returned = 0;
        if (WSAIoctl(socket_, sioTcpInfo, &version, sizeof version, &info, sizeof info, &returned,
                     nullptr, nullptr) == 0 &&
            returned >= sizeof info) {
            d.counted = true;
            const ULONG64 acknowledged =
                info.BytesOut > info.BytesInFlight ? info.BytesOut - info.BytesInFlight : 0;
            d.acknowledged = static_cast<int32_t>(std::min<ULONG64>(acknowledged, ULONG64(sent_)));
        }
        if (resetError_ == 0) {
            watchForTheEnd();
            if (resetError_ != 0) {
                error_ = resetError_;
                errorText_ = target_ + ": the printer broke the connection (" +
                             win32ErrorText(static_cast<DWORD>(resetError_)) + ")";
            }
        }
        d.broken = resetError_ != 0;
        return d;
    }

    int nativeError() const override { return error_; }
    std::string lastErrorText() const override { return errorText_; }
    int32_t lastSendAccepted() const override { return sent_; }

  private:
    // Sets resetError_ once the printer has reset the connection. A reset is not always said as
    // one: Wine reports it like a printer that closed its side after reading everything (FD_CLOSE
    // without an error, a read of 0 bytes). Once the printer has closed, a send of no bytes
    // tells the two apart, as it fails only on a connection that was reset, and it puts nothing
    // on the wire. It is asked again on every call: a printer that closed while part of the
    // image was still on its way answers that part with a reset a little later.
    void watchForTheEnd() {
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(socket_, event_, &events) == 0 &&
            (events.lNetworkEvents & FD_CLOSE)) {
            closedByPrinter_ = true;
            if (events.iErrorCode[FD_CLOSE_BIT] != 0) {
                resetError_ = events.iErrorCode[FD_CLOSE_BIT];
                return;
            }
        }
        // Nothing is expected from the printer, so whatever it sends is dropped.
        char scratch[512];
        const int n = ::recv(socket_, scratch, sizeof scratch, 0);
        if (n == 0) {
            closedByPrinter_ = true;
        } else if (n == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
                resetError_ = error;
                return;
            }
        }
        if (closedByPrinter_ && ::send(socket_, scratch, 0, 0) == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
                resetError_ = error;
            }
        }
    }

    int32_t sendFailed(int error) {
        error_ = error;
        errorText_ =
            target_ + ": the connection broke: " + win32ErrorText(static_cast<DWORD>(error));
        return -1;
    }

    bool failed(int error) {
        error_ = error;
        switch (error) {
        case WSAECONNREFUSED:
            errorText_ = target_ + ": connection refused: nothing accepts connections on this port";
            break;
        case WSAETIMEDOUT:
            errorText_ = target_ + ": connection timed out: no answer within " +
                         std::to_string(connectLimitMs / 1000) +
                         " s (is the printer on, and the address right?)";
            break;
        default:
            errorText_ = target_ + ": " + win32ErrorText(static_cast<DWORD>(error));
            break;
        }
        return false;
    }

    SOCKET socket_;
    HANDLE event_;
    int error_ = 0;
    int resetError_ = 0;
    bool closedByPrinter_ = false;
    int32_t sent_ = 0; // of the last sendAll
    std::string target_;
    std::string errorText_;
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
