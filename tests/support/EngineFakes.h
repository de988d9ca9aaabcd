#pragma once
// Fakes around the download engine: a window that logs what the engine asks of it, a printer
// that logs the conversation and answers from a script, and a virtual-time driver that delivers
// the armed timer ticks one after another.
#include "engine/MainDialog.h"
#include "engine/MainDialogView.h"
#include "engine/PrinterIdentity.h"
#include "platform/EventLoop.h"
#include "ports/PrinterPort.h"
#include "printqueues/QueueRedirection.h"
#include "support/AppFakes.h"
#include "support/EngineFiles.h"
#include "support/FakeClock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace enginefakes {

// A log of calls, each one line of words ("set 1 10", "write 4096", "HELP : ...").
class CallLog {
  public:
    // Logs one call and answers `reply`.
    template <typename... Words> int32_t note(int32_t reply, const Words&... words) {
        std::string call;
        ((call += (call.empty() ? "" : " ") + word(words)), ...);
        calls.push_back(call);
        return reply;
    }
    long count(const std::string& call) const {
        return std::count(calls.begin(), calls.end(), call);
    }
    // Position of the first `call` in the log (the log's size when absent).
    long at(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    }
    std::vector<std::string> calls;

  private:
    static std::string word(const std::string& text) { return text; }
    static std::string word(int64_t number) { return std::to_string(number); }
};

// What the engine asks of its window, in order. It is also the silent host's event loop: run()
// delivers the one armed timer in virtual time, and stops after `ticksBeforeSignal` ticks as a
// termination signal would.
class RecordingView final : public MainDialogView, public EventLoop, public CallLog {
  public:
    void setTimer(int32_t id, uint32_t intervalMs) override {
        timers[id] = intervalMs;
        note(0, "set", id, intervalMs);
    }
    void killTimer(int32_t id) override {
        timers.erase(id);
        note(0, "kill", id);
    }
    void repaintWindow() override { note(0, "repaint"); }
    void repaintProgressBar() override {}
    void enableControl(int32_t controlId, bool enabled) override {
        controls[controlId] = enabled;
        note(0, enabled ? "enable" : "disable", controlId);
    }
    void showHelpText(const std::string& text) override { note(0, text); }
    void showCompletionDialog() override {
        note(0, "completion");
        if (onModal) {
            onModal();
        }
    }
    void closeWindow() override { close(); }
    void close() override {
        closed = true;
        note(0, "close");
    }
    void setFineTimerResolution(bool on) override { note(0, "fine", on ? "on" : "off"); }
    End run(const std::function<void(int32_t)>& onTimer) override {
        while (!closed && !timers.empty()) {
            if (timers.size() != 1) {
                throw std::logic_error("more than one timer armed");
            }
            if (ticks.size() == ticksBeforeSignal) {
                return End::Interrupted;
            }
            const auto [id, interval] = *timers.begin();
            ticks.push_back({id, interval});
            if (clock != nullptr) {
                clock->advance(interval);
            }
            onTimer(id);
        }
        return End::Closed;
    }
    int interruptSignal() const override { return ticks.size() == ticksBeforeSignal ? 15 : 0; }

    bool allEnabled() const {
        return controls.size() == 4 &&
               std::all_of(controls.begin(), controls.end(), [](auto& c) { return c.second; });
    }
    // Number of ticks of `id` armed with `interval`.
    size_t ticksOf(int32_t id, uint32_t interval) const {
        return size_t(std::count(ticks.begin(), ticks.end(), std::pair{id, interval}));
    }
    // The order of distinct steps, with repeats folded: e.g. {1, 4, 5, 6}.
    std::vector<int32_t> steps() const {
        std::vector<int32_t> out;
        for (const auto& [id, interval] : ticks) {
            if (out.empty() || out.back() != id) {
                out.push_back(id);
            }
        }
        return out;
    }

    std::map<int32_t, uint32_t> timers; // armed now
    std::map<int32_t, bool> controls;
    std::vector<std::pair<int32_t, uint32_t>> ticks; // delivered: id and interval
    size_t ticksBeforeSignal = SIZE_MAX;
    bool closed = false;
    FakeClock* clock = nullptr;    // advanced by each delivered tick's interval when set
    std::function<void()> onModal; // runs inside a "modal" dialog, like a nested message loop
};

// The printer at the other end of a port or of a connection (one object plays both): the
// conversation in one log, the answers from a script.
class ScriptedPrinter final : public PrinterPort, public NetConnection, public CallLog {
  public:
    int32_t configure(PortSettings settings) override {
        return note(configureResult, "configure", settings.portName);
    }
    int32_t open(int32_t startReader) override { return note(openResult, "open", startReader); }
    int32_t write(const uint8_t* data, int32_t length) override {
        int32_t accepted = length;
        if (!acceptScript.empty()) {
            accepted = acceptScript.front() < 0 ? length : acceptScript.front();
            acceptScript.pop_front();
        }
        received.insert(received.end(), data, data + accepted);
        writeLengths.push_back(length);
        return note(accepted, "write", length);
    }
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        std::string reply;
        if (!replies.empty()) {
            reply = replies.front();
            replies.pop_front();
        }
        const auto n = std::min<int32_t>(length, int32_t(reply.size()));
        std::copy(reply.begin(), reply.begin() + n, buffer);
        return note(n, "read", length, waitMs);
    }
    int32_t create() override { return note(createResult, "create"); }
    int32_t connect(const std::string& address, int32_t port) override {
        return note(connectResult, "connect", address + ":" + std::to_string(port));
    }
    int32_t send(const uint8_t* data, int32_t length, int32_t flags) override {
        if (sendResult >= 0) {
            received.insert(received.end(), data, data + length);
        }
        sentLength = sendResult < 0 ? acceptedBeforeFailure : length;
        return note(sendResult < 0 ? sendResult : length, "send", length, flags);
    }
    int32_t lastSendAccepted() const override { return acceptedBeforeFailure; }
    // One scripted answer a look, the last one repeated; with no script the printer has
    // acknowledged everything the connection took.
    NetDelivery delivery() override {
        if (deliveries.empty()) {
            return {sentLength, true, false};
        }
        const NetDelivery d = deliveries.front();
        if (deliveries.size() > 1) {
            deliveries.pop_front();
        }
        return d;
    }
    void detach() override { note(0, "detach"); }
    void close() override { note(0, "close"); }
    std::string lastErrorText() const override { return errorText; }

    int32_t configureResult = 1;
    int32_t openResult = 1;
    int32_t createResult = 1;
    int32_t connectResult = 1;
    int32_t sendResult = 0; // negative: failure
    int32_t acceptedBeforeFailure = 0;
    int32_t sentLength = 0;
    std::deque<NetDelivery> deliveries;
    std::deque<int32_t> acceptScript; // bytes accepted per write; -1 or none left: all
    std::deque<std::string> replies;  // one a read, cut to its length
    std::string errorText;
    std::vector<uint8_t> received;
    std::vector<int32_t> writeLengths;
};

// A printer asked for its identity fields: each query (GS I field) is answered with the pieces
// scripted for its field, each arriving `afterMs` after the query (the clock then stands there);
// a field without a script gets nothing. Waits pass on the virtual clock; the longest one asked
// for is noted. A printer that takes no queries answers none.
class FieldReplies final : public PrinterReplies {
  public:
    struct Piece {
        uint32_t afterMs;
        std::string data;
    };
    using Script = std::map<uint8_t, std::deque<Piece>>;
    FieldReplies(FakeClock& clock, Script script) : clock_(clock), script_(std::move(script)) {}
    // Each field's whole reply ("_" text NUL) at once.
    static Script says(const std::map<uint8_t, std::string>& texts) {
        Script script;
        for (const auto& [field, text] : texts) {
            script[field] = {{0, "_" + text + std::string(1, '\0')}};
        }
        return script;
    }

    bool send(const uint8_t* data, int32_t length) override {
        queries.emplace_back(data, data + length);
        pending_ = length == 3 ? script_[data[2]] : std::deque<Piece>{};
        askedAt_ = clock_.tickCount();
        if (!takesQueries) {
            pending_.clear();
        }
        return takesQueries;
    }
    int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        longestWaitMs = std::max(longestWaitMs, waitMs);
        if (pending_.empty() || askedAt_ + pending_.front().afterMs > clock_.tickCount() + waitMs) {
            clock_.advance(uint32_t(waitMs)); // nothing came within the wait
            return 0;
        }
        clock_.advance(std::max(askedAt_ + pending_.front().afterMs, clock_.tickCount()) -
                       clock_.tickCount());
        const std::string data = pending_.front().data.substr(0, size_t(length));
        pending_.pop_front();
        std::copy(data.begin(), data.end(), buffer);
        return int32_t(data.size());
    }
    std::vector<std::vector<uint8_t>> queries;
    int32_t longestWaitMs = 0;
    bool takesQueries = true;

  private:
    FakeClock& clock_;
    Script script_;
    std::deque<Piece> pending_;
    uint32_t askedAt_ = 0;
};

class RecordingQueues final : public QueueRedirection {
  public:
    void redirectPrinterQueues(std::string portArg, std::string modelArg) override {
        calls.push_back("redirect " + portArg + "|" + modelArg);
    }
    void restorePrinterQueues() override { calls.push_back("restore"); }
    std::vector<std::string> calls;
};

// The engine with all its fakes and a job: a silent run by default, model "T90 Prime", TCP port
// 9100, the image in a file of its own.
struct EngineRig {
    EngineRig(const std::string& portName, int32_t modelCode, const std::vector<uint8_t>& image,
              int32_t silent = 1) {
        dialog.silentRun = silent;
        dialog.modelCode = modelCode;
        dialog.modelName = "T90 Prime";
        dialog.portSettings.portName = portName;
        dialog.portSettings.baudRate = 9100;
        dialog.firmwarePath = scratch.file("fw.fls", image);
    }
    // Delivers ticks until none is armed, noting the bar after each.
    void run() {
        view.run([this](int32_t id) {
            dialog.onTimer(id);
            progressAfter.push_back(dialog.progress);
        });
    }

    ScratchDir scratch;
    RecordingView view;
    ScriptedPrinter printer;
    RecordingQueues queues;
    RecordingReporter reporter;
    FakeClock clock;
    MainDialog dialog{view, printer, printer, queues, reporter, clock};
    std::vector<uint32_t> progressAfter; // progress after each delivered tick
};

} // namespace enginefakes
