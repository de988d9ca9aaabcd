#pragma once
// Fake devices and sockets for the port tests. Each fake keeps its script and its record in a
// state object the test owns, so the conversation can be checked even after the port has
// closed (and destroyed) the device.
#include "platform/DeviceFactory.h"
#include "platform/NetSocket.h"
#include "support/FakeClock.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One scripted write: whether it succeeds and how many bytes at most it takes.
struct FakeWriteStep {
    bool ok = true;
    uint32_t accept = std::numeric_limits<uint32_t>::max();
};

// What every fake device shares: the call record, the write script and the input queue.
struct FakeDeviceState {
    std::mutex mutex;
    std::condition_variable changed;

    bool openOk = true;
    bool isOpen = false;
    int opens = 0;
    std::vector<std::string> calls; // the conversation, reader polls left out
    std::deque<FakeWriteStep> writeSteps;
    FakeWriteStep defaultWrite;
    FakeClock* clock = nullptr; // when set, each write attempt takes writeMs of virtual time
    uint32_t writeMs = 0;
    std::vector<uint32_t> writeSizes;
    std::vector<uint8_t> written;
    std::deque<uint8_t> input;
    std::vector<uint32_t> readSizes;
    std::deque<bool> readOk; // per read, default true
    int polls = 0;

    void call(const std::string& what) {
        std::lock_guard lock(mutex);
        calls.push_back(what);
    }
    std::vector<std::string> conversation() {
        std::lock_guard lock(mutex);
        return calls;
    }
    void feed(const std::vector<uint8_t>& bytes) {
        std::lock_guard lock(mutex);
        input.insert(input.end(), bytes.begin(), bytes.end());
    }
    size_t queued() {
        std::lock_guard lock(mutex);
        return input.size();
    }
    int pollCount() {
        std::lock_guard lock(mutex);
        return polls;
    }
    // Waits (a bounded real wait, not a timing check) until n more reader polls have started;
    // every poll but the last of them has then finished.
    bool waitForPolls(int n) {
        std::unique_lock lock(mutex);
        const int target = polls + n;
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return polls >= target; });
    }
    void countPoll() {
        {
            std::lock_guard lock(mutex);
            ++polls;
        }
        changed.notify_all();
    }

    IoResult doWrite(const uint8_t* data, uint32_t length) {
        std::lock_guard lock(mutex);
        FakeWriteStep step = defaultWrite;
        if (!writeSteps.empty()) {
            step = writeSteps.front();
            writeSteps.pop_front();
        }
        writeSizes.push_back(length);
        const uint32_t taken = std::min(step.accept, length);
        written.insert(written.end(), data, data + taken);
        if (clock != nullptr) {
            clock->advance(writeMs);
        }
        return IoResult{step.ok, taken, step.ok ? 0 : 5};
    }
    IoResult doRead(uint8_t* buffer, uint32_t length) {
        std::lock_guard lock(mutex);
        readSizes.push_back(length);
        bool ok = true;
        if (!readOk.empty()) {
            ok = readOk.front();
            readOk.pop_front();
        }
        uint32_t n = 0;
        while (ok && n < length && !input.empty()) {
            buffer[n++] = input.front();
            input.pop_front();
        }
        return IoResult{ok, n, ok ? 0 : 5};
    }
    void closed() {
        std::lock_guard lock(mutex);
        isOpen = false;
        calls.push_back("close");
    }
};

struct FakeSerialState : FakeDeviceState {
    bool getOk = true;
    bool setOk = true;
    bool modemOk = true;
    bool timeoutsOk = true;
    ModemLines lines{true, true};
    // A held poll stays inside the device until the device goes or 200 ms pass, so a close
    // that does not wait for its reader destroys the device under a running poll.
    bool holdPolls = false;
    bool pollHeld = false;
    bool destroyedDuringPoll = false;
    SerialLineSettings initial;
    std::optional<SerialLineSettings> applied;
    std::optional<CommTimeouts> timeouts;
};

class FakeSerialDevice final : public SerialDevice {
  public:
    explicit FakeSerialDevice(FakeSerialState& s) : s_(s) {}
    ~FakeSerialDevice() override {
        {
            std::lock_guard lock(s_.mutex);
            s_.destroyedDuringPoll = s_.destroyedDuringPoll || s_.pollHeld;
        }
        s_.closed();
        s_.changed.notify_all();
    }

    bool getLineSettings(SerialLineSettings& settings) override {
        s_.call("getLineSettings");
        settings = s_.initial;
        return s_.getOk;
    }
    bool setLineSettings(const SerialLineSettings& settings) override {
        s_.call("setLineSettings");
        s_.applied = settings;
        return s_.setOk;
    }
    bool modemStatus(ModemLines& lines) override {
        s_.call("modemStatus");
        lines = s_.lines;
        return s_.modemOk;
    }
    bool setTimeouts(const CommTimeouts& timeouts) override {
        s_.call("setTimeouts");
        s_.timeouts = timeouts;
        return s_.timeoutsOk;
    }
    bool purge() override {
        s_.call("purge");
        return true;
    }
    bool inputQueued(uint32_t& count) override {
        // Counted on entry: a poll that starts after a feed sees the fed bytes.
        std::unique_lock lock(s_.mutex);
        ++s_.polls;
        count = static_cast<uint32_t>(s_.input.size());
        s_.changed.notify_all();
        if (s_.holdPolls) {
            s_.pollHeld = true;
            s_.changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return !s_.isOpen; });
            s_.pollHeld = false;
        }
        return true;
    }
    IoResult write(const uint8_t* data, uint32_t length) override {
        return s_.doWrite(data, length);
    }
    IoResult read(uint8_t* buffer, uint32_t length) override { return s_.doRead(buffer, length); }
    void cancelIo() override { s_.call("cancelIo"); }

  private:
    FakeSerialState& s_;
};

struct FakeFileState : FakeDeviceState {
    std::vector<CommTimeouts> timeouts;
};

class FakeFileDevice final : public FileDevice {
  public:
    explicit FakeFileDevice(FakeFileState& s) : s_(s) {}
    ~FakeFileDevice() override { s_.closed(); }

    bool setTimeouts(const CommTimeouts& timeouts) override {
        s_.call("setTimeouts");
        std::lock_guard lock(s_.mutex);
        s_.timeouts.push_back(timeouts);
        return true;
    }
    bool purge() override {
        s_.call("purge");
        return true;
    }
    IoResult write(const uint8_t* data, uint32_t length) override {
        return s_.doWrite(data, length);
    }
    IoResult read(uint8_t* buffer, uint32_t length) override {
        s_.call("read");
        return s_.doRead(buffer, length);
    }
    IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t /*waitMs*/,
                        const std::atomic<bool>& /*abandon*/) override {
        s_.countPoll();
        return s_.doRead(buffer, length);
    }
    void cancelIo() override { s_.call("cancelIo"); }

  private:
    FakeFileState& s_;
};

// Hands out the fakes above; like the real devices, an open device is refused a second time.
class FakeDeviceFactory final : public DeviceFactory {
  public:
    FakeSerialState serial;
    FakeFileState parallel;
    FakeFileState usb;

    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        if (!admit(serial, name)) {
            return nullptr;
        }
        return std::make_unique<FakeSerialDevice>(serial);
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        if (!admit(parallel, name)) {
            return nullptr;
        }
        return std::make_unique<FakeFileDevice>(parallel);
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& path) override {
        if (!admit(usb, path)) {
            return nullptr;
        }
        return std::make_unique<FakeFileDevice>(usb);
    }

  private:
    static bool admit(FakeDeviceState& s, const std::string& name) {
        std::lock_guard lock(s.mutex);
        s.calls.push_back("open " + name);
        if (!s.openOk || s.isOpen) {
            return false;
        }
        s.isOpen = true;
        ++s.opens;
        return true;
    }
};

struct FakeSocketState {
    bool createOk = true;
    bool connectOk = true;
    int connectError = 10061; // refused
    int32_t sendResult = 0;   // 0: the whole length
    int created = 0;
    int destroyed = 0;
    std::vector<std::pair<std::string, uint16_t>> connects;
    std::vector<int32_t> sends;
};

class FakeNetSocket final : public NetSocket {
  public:
    explicit FakeNetSocket(FakeSocketState& s) : s_(s) {}
    ~FakeNetSocket() override { ++s_.destroyed; }
    bool connect(const std::string& address, uint16_t port) override {
        s_.connects.emplace_back(address, port);
        error_ = s_.connectOk ? 0 : s_.connectError;
        return s_.connectOk;
    }
    int32_t sendAll(const uint8_t* /*data*/, int32_t length) override {
        s_.sends.push_back(length);
        if (s_.sendResult < 0) {
            error_ = 10054;
            return s_.sendResult;
        }
        return length;
    }
    int nativeError() const override { return error_; }

  private:
    FakeSocketState& s_;
    int error_ = 0;
};

class FakeSocketFactory final : public SocketFactory {
  public:
    FakeSocketState state;
    std::unique_ptr<NetSocket> createStream() override {
        if (!state.createOk) {
            return nullptr;
        }
        ++state.created;
        return std::make_unique<FakeNetSocket>(state);
    }
};
