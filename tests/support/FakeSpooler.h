#pragma once
// A spooler holding a few queues in memory and recording every call made on it, so tests can
// check the conversation as well as the final state of each queue.
#include "platform/Spooler.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct FakePrinterQueue {
    std::string name;
    std::string portName;
    std::string driverName;
    uint32_t attributes = 0;
    // The spooler's own state: "aside" while on "FILE:", else what the last restore wrote.
    std::string state;
    bool openable = true;
    bool readable = true;
    bool writable = true;
};

class FakeSpooler final : public Spooler {
  public:
    std::vector<FakePrinterQueue> queues;
    std::vector<std::string> calls;

    void add(std::string name, std::string port, std::string driver, uint32_t attributes = 0) {
        FakePrinterQueue q;
        q.name = std::move(name);
        q.portName = std::move(port);
        q.driverName = std::move(driver);
        q.attributes = attributes;
        queues.push_back(std::move(q));
    }

    FakePrinterQueue& queue(const std::string& name) {
        for (auto& q : queues) {
            if (q.name == name) {
                return q;
            }
        }
        throw std::out_of_range(name);
    }

    std::vector<PrinterQueueInfo> enumerateLocalQueues() override {
        calls.push_back("enumerate");
        std::vector<PrinterQueueInfo> list;
        for (const auto& q : queues) {
            list.push_back({q.name, q.portName, q.driverName});
        }
        return list;
    }

    std::unique_ptr<SpoolerQueue> openQueue(const std::string& printerName) override {
        calls.push_back("open " + printerName);
        for (auto& q : queues) {
            if (q.name == printerName && q.openable) {
                return std::make_unique<Open>(*this, q);
            }
        }
        return nullptr;
    }

  private:
    class Open final : public SpoolerQueue {
      public:
        Open(FakeSpooler& spooler, FakePrinterQueue& q) : spooler_(spooler), name_(q.name) {}
        ~Open() override { spooler_.calls.push_back("close " + name_); }

        bool readRecord(PrinterQueueRecord& record) override {
            spooler_.calls.push_back("read " + name_);
            FakePrinterQueue& q = spooler_.queue(name_);
            if (!q.readable) {
                return false;
            }
            record = {q.portName, q.attributes, q.state};
            return true;
        }
        bool writeRecord(const PrinterQueueRecord& record) override {
            spooler_.calls.push_back("write " + name_ + " " + record.portName + " " +
                                     std::to_string(record.attributes));
            FakePrinterQueue& q = spooler_.queue(name_);
            if (!q.writable) {
                return false;
            }
            q.portName = record.portName;
            q.attributes = record.attributes;
            q.state = record.portName == "FILE:" ? "aside" : record.spoolerState;
            return true;
        }

      private:
        FakeSpooler& spooler_;
        std::string name_;
    };
};
