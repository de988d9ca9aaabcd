#pragma once
// Moves the local printer queues that use the printer's device to "FILE:" for the time of a
// download, and gives them their ports back afterwards.
#include "download/QueueRedirection.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Spooler;

struct QueueRedirect {
    std::string savedPortName;
    bool attributesChanged = false;
    uint32_t savedAttributes = 0; // meaningful only when attributesChanged
};

constexpr uint32_t kRawOnlyAttribute = 0x1000;
extern const char kRedirectPortName[]; // "FILE:"

class PrinterQueueRedirector final : public QueueRedirection {
  public:
    // Over the system's spooler.
    PrinterQueueRedirector();
    // The spooler must outlive the redirector.
    explicit PrinterQueueRedirector(Spooler& spooler);
    // Gives back whatever is still redirected.
    ~PrinterQueueRedirector() override;
    PrinterQueueRedirector(const PrinterQueueRedirector&) = delete;
    PrinterQueueRedirector& operator=(const PrinterQueueRedirector&) = delete;

    // portArg is the job's port name; modelArg is empty for COM and LPT jobs and the model's
    // name for a USB device path. Undoes an earlier redirection first.
    void redirectPrinterQueues(std::string portArg, std::string modelArg) override;
    void restorePrinterQueues() override;

    // Keyed by queue name.
    const std::map<std::string, QueueRedirect>& printerQueueRedirects() const {
        return printerQueueRedirects_;
    }

  private:
    std::unique_ptr<Spooler> ownedSpooler_;
    Spooler& spooler_;
    std::map<std::string, QueueRedirect> printerQueueRedirects_;
};

// The port argument as matched when a model name is given: every "\\.\" and then every ":"
// taken out.
std::string stripDevicePrefixes(std::string portArg);
