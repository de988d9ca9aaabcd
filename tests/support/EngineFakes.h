#pragma once
// Fakes around the download engine: a window that records what the engine asks of it, a port
// and a socket that check the conversation and answer from a script, and a virtual-time driver
// that delivers the armed timer ticks one after another.
#include "download/MainDialog.h"
#include "download/MainDialogView.h"
#include "download/QueueRedirection.h"
#include "ports/PrinterPort.h"
#include "support/AppFakes.h"
#include "support/FakeClock.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace enginefakes {

class RecordingView final : public MainDialogView {
  public:
    void setTimer(int32_t id, uint32_t intervalMs) override {
        timers[id] = intervalMs;
        events.push_back("set " + std::to_string(id) + " " + std::to_string(intervalMs));
    }
    void killTimer(int32_t id) override {
        timers.erase(id);
        events.push_back("kill " + std::to_string(id));
    }
    void repaintWindow() override { events.push_back("repaint"); }
    void repaintProgressBar() override {}
    void enableControl(int32_t controlId, bool enabled) override {
        controls[controlId] = enabled;
        events.push_back((enabled ? "enable " : "disable ") + std::to_string(controlId));
    }
    void showHelpText(const std::string& text) override { helpLines.push_back(text); }
    void showCompletionDialog() override {
        events.push_back("completion");
        if (onModal) {
            onModal();
        }
    }
    void closeWindow() override {
        ++closes;
        events.push_back("close");
    }
    void setFineTimerResolution(bool on) override { events.push_back(on ? "fine on" : "fine off"); }

    bool allEnabled() const {
        for (int32_t id : {ControlId::Download, ControlId::Configuration, ControlId::SelectFirmware,
                           ControlId::Exit}) {
            auto it = controls.find(id);
            if (it == controls.end() || !it->second) {
                return false;
            }
        }
        return true;
    }

    std::map<int32_t, uint32_t> timers; // armed now
    std::vector<std::string> events;
    std::map<int32_t, bool> controls;
    std::vector<std::string> helpLines;
    int closes = 0;
    std::function<void()> onModal; // runs inside a "modal" dialog, like a nested message loop
};

class ScriptedPort final : public PrinterPort {
  public:
    int32_t configure(PortSettings settings) override {
        calls.push_back("configure " + settings.portName);
        return configureResult;
    }
    int32_t open(int32_t startReader) override {
        calls.push_back("open " + std::to_string(startReader));
        return openResult;
    }
    int32_t write(const uint8_t* data, int32_t length) override {
        calls.push_back("write " + std::to_string(length));
        int32_t accepted = length;
        if (!acceptScript.empty()) {
            accepted = acceptScript.front() < 0 ? length : acceptScript.front();
            acceptScript.pop_front();
        }
        received.insert(received.end(), data, data + accepted);
        writeLengths.push_back(length);
        return accepted;
    }
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        calls.push_back("read " + std::to_string(length) + " " + std::to_string(waitMs));
        if (replies.empty()) {
            return 0;
        }
        std::vector<uint8_t> reply = replies.front();
        replies.pop_front();
        const int32_t n = std::min<int32_t>(length, int32_t(reply.size()));
        std::copy(reply.begin(), reply.begin() + n, buffer);
        return n;
    }
    void close() override { calls.push_back("close"); }

    int32_t configureResult = 1;
    int32_t openResult = 1;
    std::deque<int32_t> acceptScript; // bytes accepted per write; -1 = all; empty = all
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::string> calls;
    std::vector<uint8_t> received;
    std::vector<int32_t> writeLengths;
};

class ScriptedSocket final : public NetConnection {
  public:
    int32_t create() override {
        calls.push_back("create");
        return createResult;
    }
    int32_t connect(const std::string& address, int32_t port) override {
        calls.push_back("connect " + address + ":" + std::to_string(port));
        return connectResult;
    }
    int32_t send(const uint8_t* data, int32_t length, int32_t flags) override {
        calls.push_back("send " + std::to_string(length) + " " + std::to_string(flags));
        if (sendResult >= 0) {
            received.assign(data, data + length);
        }
        return sendResult < 0 ? sendResult : length;
    }
    void close() override { calls.push_back("close"); }
    void detach() override { calls.push_back("detach"); }
    int32_t lastSendAccepted() const override { return acceptedBeforeFailure; }

    int32_t createResult = 1;
    int32_t connectResult = 1;
    int32_t sendResult = 0; // negative: failure
    int32_t acceptedBeforeFailure = 0;
    std::vector<std::string> calls;
    std::vector<uint8_t> received;
};

class RecordingQueues final : public QueueRedirection {
  public:
    void redirectPrinterQueues(std::string portArg, std::string modelArg) override {
        calls.push_back("redirect " + portArg + "|" + modelArg);
    }
    void restorePrinterQueues() override { calls.push_back("restore"); }
    std::vector<std::string> calls;
};

// One delivered tick: which timer and the interval it had been armed with.
struct Tick {
    int32_t id;
    uint32_t interval;
    bool operator==(const Tick&) const = default;
};

// The engine with all its fakes, and a virtual-time loop over its one armed timer.
struct EngineRig {
    RecordingView view;
    ScriptedPort port;
    ScriptedSocket socket;
    RecordingQueues queues;
    RecordingReporter reporter;
    FakeClock clock;
    MainDialog dialog{view, port, socket, queues, reporter, clock};
    std::vector<Tick> ticks;
    std::vector<uint32_t> progressAfter; // progress after each delivered tick
    uint64_t virtualMs = 0;

    // Delivers ticks until no timer is armed (or maxTicks, a guard against a runaway machine).
    void run(size_t maxTicks = 10'000'000) {
        while (!view.timers.empty() && ticks.size() < maxTicks) {
            if (view.timers.size() != 1) {
                throw std::logic_error("more than one timer armed");
            }
            const auto [id, interval] = *view.timers.begin();
            ticks.push_back({id, interval});
            virtualMs += interval;
            dialog.onTimer(id);
            progressAfter.push_back(dialog.progress);
        }
    }

    // Number of consecutive ticks of `id` with `interval`.
    size_t count(int32_t id, uint32_t interval) const {
        size_t n = 0;
        for (const Tick& t : ticks) {
            n += (t.id == id && t.interval == interval) ? 1 : 0;
        }
        return n;
    }

    // The order of distinct steps, with repeats folded: e.g. {1, 4, 5, 6}.
    std::vector<int32_t> steps() const {
        std::vector<int32_t> out;
        for (const Tick& t : ticks) {
            if (out.empty() || out.back() != t.id) {
                out.push_back(t.id);
            }
        }
        return out;
    }
};

} // namespace enginefakes
