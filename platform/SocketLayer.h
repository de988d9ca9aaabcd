#pragma once
// The process's use of the socket layer. On Windows it must be started before any socket is
// made and cleaned up at the end; elsewhere there is nothing to start.
#include <cstdint>

struct SocketLayerStatus {
    bool started = false;
    int32_t socketError = 0; // the socket layer's own last error when it did not start
    int32_t systemError = 0; // the system's last error at that moment
};

class SocketLayer {
  public:
    SocketLayer();
    ~SocketLayer();
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;
    SocketLayer(SocketLayer&& other) noexcept;
    SocketLayer& operator=(SocketLayer&& other) noexcept;

    SocketLayerStatus status() const { return status_; }

  private:
    SocketLayerStatus status_;
};
