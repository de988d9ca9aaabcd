#include "download/PrinterQueueRedirector.h"

#include "platform/Spooler.h"

const char kRedirectPortName[] = "FILE:";

namespace {

// An empty part is contained in every text.
bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void eraseAll(std::string& text, const std::string& part) {
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

} // namespace

std::string stripDevicePrefixes(std::string portArg) {
    eraseAll(portArg, "\\\\.\\");
    eraseAll(portArg, ":");
    return portArg;
}

PrinterQueueRedirector::PrinterQueueRedirector()
    : ownedSpooler_(makeSystemSpooler()), spooler_(*ownedSpooler_) {}

PrinterQueueRedirector::PrinterQueueRedirector(Spooler& spooler) : spooler_(spooler) {}

// The owner restores the queues at the end of every download; this is the last safety net for a
// path that forgot to, so no queue outlives the program stopped or on "FILE:".
PrinterQueueRedirector::~PrinterQueueRedirector() {
    restorePrinterQueues();
}

void PrinterQueueRedirector::redirectPrinterQueues(std::string portArg, std::string modelArg) {
    restorePrinterQueues();
    const std::vector<PrinterQueueInfo> queues = spooler_.enumerateLocalQueues();
    if (!modelArg.empty()) {
        portArg = stripDevicePrefixes(portArg);
    }
    // Once one record could not be read, no further queue is changed in this call; the later
    // matches are still remembered, so a restore writes their own ports back.
    bool changesStopped = false;
    for (const PrinterQueueInfo& info : queues) {
        const bool usbPort = contains(info.portName, "USB");
        if (!contains(info.portName, portArg) &&
            !(usbPort && contains(info.driverName, modelArg))) {
            continue;
        }
        QueueRedirect& redirect = printerQueueRedirects_[info.printerName];
        redirect = QueueRedirect{info.portName, false, 0};

        std::unique_ptr<SpoolerQueue> queue = spooler_.openQueue(info.printerName);
        if (!queue || changesStopped) {
            continue;
        }
        PrinterQueueRecord record;
        if (!queue->readRecord(record)) {
            changesStopped = true;
            continue;
        }
        if (usbPort && !modelArg.empty()) {
            redirect.savedAttributes = record.attributes;
            redirect.attributesChanged = true;
            record.attributes = kRawOnlyAttribute;
        }
        record.portName = kRedirectPortName;
        queue->writeRecord(record);
    }
}

void PrinterQueueRedirector::restorePrinterQueues() {
    // A queue that cannot be given its port back now is kept, so the next restore (the end of
    // the download, the window's destruction, the next download) tries again instead of leaving
    // it on "FILE:" for good.
    std::map<std::string, QueueRedirect> pending;
    for (auto& [name, redirect] : printerQueueRedirects_) {
        std::unique_ptr<SpoolerQueue> queue = spooler_.openQueue(name);
        PrinterQueueRecord record;
        if (!queue || !queue->readRecord(record)) {
            pending.emplace(name, redirect);
            continue;
        }
        record.portName = redirect.savedPortName;
        bool restored = queue->writeRecord(record);
        if (redirect.attributesChanged) {
            record.attributes = redirect.savedAttributes;
            restored = queue->writeRecord(record) && restored;
        }
        if (!restored) {
            pending.emplace(name, redirect);
        }
    }
    printerQueueRedirects_ = std::move(pending);
}
