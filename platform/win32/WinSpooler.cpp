// Printer queues through the Windows spooler: PRINTER_INFO_2 records read and written whole.
#include "platform/Spooler.h"

#include <windows.h>

#include <winspool.h>

#include <vector>

namespace {

std::string text(const char* value) {
    return value != nullptr ? value : "";
}

class WinQueue final : public SpoolerQueue {
  public:
    explicit WinQueue(HANDLE printer) : printer_(printer) {}
    ~WinQueue() override { ClosePrinter(printer_); }
    WinQueue(const WinQueue&) = delete;
    WinQueue& operator=(const WinQueue&) = delete;

    bool readRecord(PrinterQueueRecord& record) override {
        record_.clear();
        DWORD needed = 0;
        if (GetPrinterA(printer_, 2, nullptr, 0, &needed) ||
            GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(PRINTER_INFO_2A)) {
            return false;
        }
        std::vector<BYTE> buffer(needed, 0);
        if (!GetPrinterA(printer_, 2, buffer.data(), needed, &needed)) {
            return false;
        }
        record_ = std::move(buffer);
        const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(record_.data());
        record = {text(info->pPortName), info->Attributes, {}};
        return true;
    }

    bool writeRecord(const PrinterQueueRecord& record) override {
        if (record_.empty()) {
            return false;
        }
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(record_.data());
        port_ = record.portName;
        info->pPortName = port_.data();
        info->Attributes = record.attributes;
        return SetPrinterA(printer_, 2, record_.data(), 0) != FALSE;
    }

  private:
    HANDLE printer_;
    std::vector<BYTE> record_; // the record last read; its strings point into it
    std::string port_;
};

class WinSpooler final : public Spooler {
  public:
    std::vector<PrinterQueueInfo> enumerateLocalQueues() override {
        std::vector<PrinterQueueInfo> list;
        DWORD needed = 0;
        DWORD count = 0;
        EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        if (needed == 0) {
            return list;
        }
        std::vector<BYTE> buffer(needed, 0);
        if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed,
                           &count)) {
            return list;
        }
        const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            list.push_back({text(printers[i].pPrinterName), text(printers[i].pPortName),
                            text(printers[i].pDriverName)});
        }
        return list;
    }

    std::unique_ptr<SpoolerQueue> openQueue(const std::string& printerName) override {
        PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        std::string name = printerName;
        if (!OpenPrinterA(name.data(), &printer, &defaults) || printer == nullptr) {
            return nullptr;
        }
        return std::make_unique<WinQueue>(printer);
    }
};

} // namespace

std::unique_ptr<Spooler> makeSystemSpooler() {
    return std::make_unique<WinSpooler>();
}
