#include "ui/qt/QtNetConnection.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <atomic>

QtNetConnection::QtNetConnection(NetConnection& connection) : connection_(connection) {}

QtNetConnection::~QtNetConnection() {
    awaitWorker();
}

int32_t QtNetConnection::create() {
    awaitWorker();
    return connection_.create();
}

int32_t QtNetConnection::connect(const std::string& address, int32_t port) {
    return whileHandlingEvents([&] { return connection_.connect(address, port); });
}

int32_t QtNetConnection::send(const uint8_t* data, int32_t length, int32_t flags) {
    return whileHandlingEvents([&] { return connection_.send(data, length, flags); });
}

int32_t QtNetConnection::lastSendAccepted() const {
    awaitWorker();
    return connection_.lastSendAccepted();
}

NetDelivery QtNetConnection::delivery() {
    awaitWorker();
    return connection_.delivery();
}

void QtNetConnection::close() {
    awaitWorker();
    connection_.close();
}

void QtNetConnection::detach() {
    awaitWorker();
    connection_.detach();
}

std::string QtNetConnection::lastErrorText() const {
    awaitWorker();
    return connection_.lastErrorText();
}

int32_t QtNetConnection::whileHandlingEvents(const std::function<int32_t()>& call) {
    awaitWorker();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr) {
        return call(); // no event loop on this thread: nothing to keep alive
    }
    std::atomic<bool> done{false};
    int32_t result = 0;
    worker_ = std::thread([&] {
        result = call();
        done.store(true, std::memory_order_release);
        dispatcher->wakeUp();
    });
    // Not a nested QEventLoop: an application told to quit ends every loop's exec() at once,
    // and the call must be waited for all the same. A wake-up that comes before the wait starts
    // is kept by the dispatcher, so none is lost.
    while (!done.load(std::memory_order_acquire)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    awaitWorker();
    return result;
}

void QtNetConnection::awaitWorker() const {
    if (worker_.joinable()) {
        worker_.join();
    }
}
