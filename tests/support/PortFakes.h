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
    uint32_t overclaim = 0; // counted on top of what was taken, as a faulty driver reports
};

// The script and record of one device, serial or not.
struct FakeDeviceState {
    std::mutex mutex;
    std::condition_variable changed;
    bool isOpen = false;
    int opens = 0;
    ModemLines lines{true, true}; // what the printer asserts
    std::string refuse; // the one call that fails ("open", "setLineSettings"; "read" once)
    std::vector<std::string> calls; // the conversation, reader polls left out
    std::optional<SerialLineSettings> applied;
    std::optional<CommTimeouts> timeouts;
    std::deque<FakeWriteStep> writeSteps; // the last step repeats; none: every write succeeds
    FakeClock* clock = nullptr;           // when set, each write attempt takes writeMs
    uint32_t writeMs = 0;
    std::vector<uint32_t> writeSizes, readSizes;
    std::vector<uint8_t> written;
    std::deque<uint8_t> input;
    int polls = 0;
    // A held poll stays inside the device until the device goes or 200 ms pass, so a close
    // that does not wait for its reader destroys the device under a running poll.
    bool holdPolls = false, pollHeld = false, destroyedDuringPoll = false;

    // Records the call; false when the script refuses it.
    bool answer(const std::string& what) {
        std::lock_guard lock(mutex);
        calls.push_back(what);
        return what != refuse;
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
    // Waits (a bounded real wait, not a timing check) until n more reader polls have started;
    // every poll but the last of them has then finished.
    bool waitForPolls(int n) {
        std::unique_lock lock(mutex);
        const int target = polls + n;
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return polls >= target; });
    }
    // A reader poll: counted on entry, so a poll that starts after a feed sees the fed bytes.
    uint32_t poll() {
        std::unique_lock lock(mutex);
        ++polls;
        changed.notify_all();
        if (holdPolls) {
            pollHeld = true;
            changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return !isOpen; });
            pollHeld = false;
        }
        return static_cast<uint32_t>(input.size());
    }
};

// One class serves as serial and as file device: the shared calls override both interfaces.
class FakeDevice final : public SerialDevice, public FileDevice {
  public:
    explicit FakeDevice(FakeDeviceState& s) : s_(s) {}
    ~FakeDevice() override {
        {
            std::lock_guard lock(s_.mutex);
            s_.destroyedDuringPoll = s_.destroyedDuringPoll || s_.pollHeld;
            s_.isOpen = false;
        }
        s_.answer("close");
        s_.changed.notify_all();
    }

    bool getLineSettings(SerialLineSettings&) override { return s_.answer("getLineSettings"); }
    bool setLineSettings(const SerialLineSettings& settings) override {
        s_.applied = settings;
        return s_.answer("setLineSettings");
    }
    bool modemStatus(ModemLines& lines) override {
        lines = s_.lines;
        return s_.answer("modemStatus");
    }
    bool setTimeouts(const CommTimeouts& timeouts) override {
        s_.timeouts = timeouts;
        return s_.answer("setTimeouts");
    }
    bool purge() override { return s_.answer("purge"); }
    bool inputQueued(uint32_t& count) override {
        count = s_.poll();
        return true;
    }
    IoResult write(const uint8_t* data, uint32_t length) override {
        std::lock_guard lock(s_.mutex);
        const FakeWriteStep step = s_.writeSteps.empty() ? FakeWriteStep{} : s_.writeSteps.front();
        if (s_.writeSteps.size() > 1) {
            s_.writeSteps.pop_front();
        }
        s_.writeSizes.push_back(length);
        const uint32_t taken = std::min(step.accept, length);
        s_.written.insert(s_.written.end(), data, data + taken);
        if (s_.clock != nullptr) {
            s_.clock->advance(s_.writeMs);
        }
        return IoResult{step.ok, taken + step.overclaim, step.ok ? 0 : 5};
    }
    IoResult read(uint8_t* buffer, uint32_t length) override {
        return take(buffer, length, s_.answer("read"));
    }
    IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t,
                        const std::atomic<bool>&) override {
        s_.poll();
        return take(buffer, length, true);
    }
    void cancelIo() override { s_.answer("cancelIo"); }

  private:
    IoResult take(uint8_t* buffer, uint32_t length, bool ok) {
        std::lock_guard lock(s_.mutex);
        s_.readSizes.push_back(length);
        if (!ok) {
            s_.refuse.clear();
        }
        uint32_t n = 0;
        for (; ok && n < length && !s_.input.empty(); ++n) {
            buffer[n] = s_.input.front();
            s_.input.pop_front();
        }
        return IoResult{ok, n, ok ? 0 : 5};
    }

    FakeDeviceState& s_;
};

// Hands out the fakes above; like the real devices, an open device is refused a second time.
class FakeDeviceFactory final : public DeviceFactory {
  public:
    FakeDeviceState serial, parallel, usb;
    std::string openReason; // what the system says about a refused open

    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        return admit(serial, name);
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        return admit(parallel, name);
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& path) override {
        return admit(usb, path);
    }
    std::string lastOpenError() const override { return openReason; }

  private:
    static std::unique_ptr<FakeDevice> admit(FakeDeviceState& s, const std::string& name) {
        std::lock_guard lock(s.mutex);
        s.calls.push_back("open " + name);
        if (s.refuse == "open" || s.isOpen) {
            return nullptr;
        }
        s.isOpen = true;
        ++s.opens;
        return std::make_unique<FakeDevice>(s);
    }
};

// Hands out sockets that follow its script and record what was asked of them.
class FakeSocketFactory final : public SocketFactory {
  public:
    bool createOk = true, connectOk = true, sendOk = true;
    int destroyed = 0;
    std::vector<std::pair<std::string, uint16_t>> connects;
    std::vector<int32_t> sends;
    NetDelivery delivery{0, true, false}; // what every look at the connection answers
    std::string deliveryErrorText;        // the socket's words once it is broken

    std::unique_ptr<NetSocket> createStream() override {
        return createOk ? std::make_unique<Socket>(*this) : nullptr;
    }

  private:
    class Socket final : public NetSocket {
      public:
        explicit Socket(FakeSocketFactory& f) : f_(f) {}
        ~Socket() override { ++f_.destroyed; }
        bool connect(const std::string& address, uint16_t port) override {
            f_.connects.emplace_back(address, port);
            error_ = f_.connectOk ? 0 : 10061; // refused
            return f_.connectOk;
        }
        int32_t sendAll(const uint8_t*, int32_t length) override {
            f_.sends.push_back(length);
            error_ = f_.sendOk ? 0 : 10054; // reset
            return f_.sendOk ? length : -1;
        }
        NetDelivery delivery() override {
            error_ = f_.delivery.broken ? 10054 : error_;
            return f_.delivery;
        }
        std::string lastErrorText() const override {
            return f_.delivery.broken ? f_.deliveryErrorText : std::string();
        }
        int nativeError() const override { return error_; }

      private:
        FakeSocketFactory& f_;
        int error_ = 0;
    };
};
