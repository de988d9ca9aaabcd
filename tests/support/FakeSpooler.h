#pragma once
// A spooler holding a few queues in memory and recording every call made on it, so tests can
// check the conversation as well as the final state of each queue.
#include "platform/Spooler.h"

#include <stdexcept>
#include <string>
#include <vector>

struct FakePrinterQueue {
    std::string name;
    std::string portName;
    std::string driverName;
    uint32_t attributes = 0;
    // The spooler's own state: "aside" while on "FILE:", else what the last restore wrote.
    std::string state = {};
    bool openable = true;
    bool readable = true;
    bool writable = true;
};

class FakeSpooler final : public Spooler {
  public:
    std::vector<FakePrinterQueue> queues;
    std::vector<std::string> calls;

    FakePrinterQueue& queue(const std::string& name) {
        for (auto& q : queues)
            if (q.name == name)
                return q;
        throw std::out_of_range(name);
    }
    std::vector<std::string> ports() const {
        std::vector<std::string> list;
        for (const auto& q : queues)
            list.push_back(q.portName);
        return list;
    }

    std::vector<PrinterQueueInfo> enumerateLocalQueues() override {
        calls.push_back("enumerate");
        std::vector<PrinterQueueInfo> list;
        for (const auto& q : queues)
            list.push_back({q.name, q.portName, q.driverName});
        return list;
    }
    std::unique_ptr<SpoolerQueue> openQueue(const std::string& name) override {
        calls.push_back("open " + name);
        for (auto& q : queues)
            if (q.name == name && q.openable)
                return std::make_unique<Open>(*this, name);
        return nullptr;
    }

  private:
    struct Open final : SpoolerQueue {
        Open(FakeSpooler& spooler, std::string name) : spooler(spooler), name(std::move(name)) {}
        ~Open() override { spooler.calls.push_back("close " + name); }
        bool readRecord(PrinterQueueRecord& record) override {
            spooler.calls.push_back("read " + name);
            const FakePrinterQueue& q = spooler.queue(name);
            if (q.readable)
                record = {q.portName, q.attributes, q.state};
            return q.readable;
        }
        bool writeRecord(const PrinterQueueRecord& record) override {
            spooler.calls.push_back("write " + name + " " + record.portName + " " +
                                    std::to_string(record.attributes));
            FakePrinterQueue& q = spooler.queue(name);
            if (q.writable) {
                q.portName = record.portName;
                q.attributes = record.attributes;
                q.state = record.portName == "FILE:" ? "aside" : record.spoolerState;
            }
            return q.writable;
        }
        FakeSpooler& spooler;
        std::string name;
    };
};
