#pragma once
// The TCP connection as the Qt window hands it to the engine. A connect to a printer that does
// not answer lasts up to 20 s, and a send lasts as long as the printer takes to read the image;
// made on the window's thread, either would stop its painting, its timers and its dialogs for
// that long, and the desktop would offer to kill a program that is working. So the connect and
// the send run on a worker thread while the window's thread goes on handling its events until
// the call has returned. To the engine the call still blocks and returns the same result at the
// same moment, as on Windows, where the socket's wait dispatches the window's messages.
// Everything else goes straight to the connection on the window's thread.
#include "ports/PrinterPort.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class QtNetConnection final : public NetConnection {
  public:
    explicit QtNetConnection(NetConnection& connection);
    ~QtNetConnection() override;
    QtNetConnection(const QtNetConnection&) = delete;
    QtNetConnection& operator=(const QtNetConnection&) = delete;

    int32_t create() override;
    int32_t connect(const std::string& address, int32_t port) override;
    int32_t send(const uint8_t* data, int32_t length, int32_t flags) override;
    int32_t lastSendAccepted() const override;
    NetDelivery delivery() override;
    void close() override;
    void detach() override;
    std::string lastErrorText() const override;

  private:
    // Runs call on the worker and handles the window's events until it has returned.
    int32_t whileHandlingEvents(const std::function<int32_t()>& call);
    // The connection is never used from two threads at once: a call that an event handler makes
    // while a connect or send is out (none of the window's handlers does, the buttons being off
    // then) first waits for that one to end.
    void awaitWorker() const;

    NetConnection& connection_;
    mutable std::thread worker_;
};
