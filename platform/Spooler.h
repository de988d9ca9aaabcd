#pragma once
// What printer queue redirection needs of the system's print spooler: the local queues with
// their port and driver names, and a queue's record (port name and attributes) read and written
// through an open queue. Port names are in the Windows vocabulary ("COM1:", "LPT1:", "USB001",
// "FILE:") on every system.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PrinterQueueInfo {
    std::string printerName;
    std::string portName;
    std::string driverName;
};

struct PrinterQueueRecord {
    std::string portName;
    uint32_t attributes = 0;
    // What else the spooler changes when a queue is moved to "FILE:", in its own words (empty
    // where the port name says it all). Read with the record, saved with the port name, and
    // handed back with it when the queue is given back, by this process or a later one.
    std::string spoolerState;
};

// An open queue, closed when destroyed.
class SpoolerQueue {
  public:
    virtual ~SpoolerQueue() = default;
    // False when the record cannot be read; the queue must then not be written.
    virtual bool readRecord(PrinterQueueRecord& record) = 0;
    // Writes the record last read, with the port name and attributes given. A port name other
    // than "FILE:" gives the queue back as spoolerState describes it.
    virtual bool writeRecord(const PrinterQueueRecord& record) = 0;
};

class Spooler {
  public:
    virtual ~Spooler() = default;
    virtual std::vector<PrinterQueueInfo> enumerateLocalQueues() = 0;
    // Opened with full access; nothing when that is refused or the queue does not exist.
    virtual std::unique_ptr<SpoolerQueue> openQueue(const std::string& printerName) = 0;
};

// The system's spooler: winspool on Windows, CUPS on Linux (a spooler with no queues when the
// program was built without CUPS).
std::unique_ptr<Spooler> makeSystemSpooler();
