#include "platform/posix/CupsSpooler.h"
#include "platform/posix/DeviceNames.h"

const char kCupsRedirectMessage[] = "Printer firmware download in progress";

#if MIRELITH_HAVE_CUPS

#include "platform/posix/CupsPortNames.h"

#include <cups/cups.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace {

const char* const kQueueAttributes[] = {"printer-name",
                                        "device-uri",
                                        "printer-make-and-model",
                                        "printer-state",
                                        "printer-is-accepting-jobs",
                                        "printer-state-message",
                                        "printer-type"};

struct QueueState {
    std::string name;
    std::string deviceUri;
    std::string makeAndModel;
    int state = IPP_PSTATE_IDLE;
    bool accepting = true;
    std::string message;
    int type = 0;
};

// Stopped by a download, as the queue itself shows it: the mark survives this process and the
// server's restarts, so a later run can tell that the queue still waits to be given back.
bool stoppedForDownload(const QueueState& queue) {
    return queue.state == IPP_PSTATE_STOPPED && queue.message == kCupsRedirectMessage;
}

// The spooler state of a record: what giving the queue back restores, one value a line, the
// message (which may hold anything) last.
std::string encodeState(const QueueState& queue) {
    return std::to_string(queue.state) + "\n" + (queue.accepting ? "1" : "0") + "\n" +
           queue.deviceUri + "\n" + queue.message;
}

std::optional<QueueState> decodeState(const std::string& text) {
    QueueState queue;
    const size_t first = text.find('\n');
    const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    const size_t third = second == std::string::npos ? second : text.find('\n', second + 1);
    if (third == std::string::npos) {
        return std::nullopt;
    }
    queue.state = std::atoi(text.substr(0, first).c_str());
    queue.accepting = text.substr(first + 1, second - first - 1) == "1";
    queue.deviceUri = text.substr(second + 1, third - second - 1);
    queue.message = text.substr(third + 1);
    return queue;
}

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

// A silent run must never stop to ask for a password on the terminal.
const char* noPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

class CupsSpooler final : public Spooler {
  public:
    explicit CupsSpooler(const std::string& server) {
        cupsSetPasswordCB2(noPassword, nullptr);
        if (!server.empty()) {
            http_ = httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC,
                                 HTTP_ENCRYPTION_IF_REQUESTED, 1, 10000, nullptr);
            ownsConnection_ = true;
        }
    }
    ~CupsSpooler() override {
        if (ownsConnection_ && http_ != nullptr) {
            httpClose(http_);
        }
    }
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    std::vector<PrinterQueueInfo> enumerateLocalQueues() override {
        std::vector<PrinterQueueInfo> list;
        forEachQueue([&](const QueueState& queue, const std::string& portName) {
            list.push_back({queue.name, portName, queue.makeAndModel});
        });
        return list;
    }

    std::unique_ptr<SpoolerQueue> openQueue(const std::string& printerName) override;

    bool readRecord(const std::string& name, PrinterQueueRecord& record) {
        bool found = false;
        forEachQueue([&](const QueueState& queue, const std::string& portName) {
            if (queue.name == name) {
                record = {portName, 0, encodeState(queue)};
                found = true;
            }
        });
        return found;
    }

    bool writeRecord(const std::string& name, const PrinterQueueRecord& record) {
        return record.portName == "FILE:" ? stop(name) : giveBack(name, record.spoolerState);
    }

    bool exists(const std::string& name) { return queryQueue(name).has_value(); }

  private:
    // USB queues are numbered in listing order, so a queue's port name needs the whole list.
    template <typename Visit> void forEachQueue(Visit visit) {
        int usbPosition = 0;
        for (const QueueState& queue : listQueues()) {
            if (isUsbDeviceUri(queue.deviceUri)) {
                ++usbPosition;
            }
            visit(queue, stoppedForDownload(queue)
                             ? std::string("FILE:")
                             : portNameForDeviceUri(queue.deviceUri, usbPosition, lookupEnv));
        }
    }

    static std::string printerUri(const std::string& name) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                         "/printers/%s", name.c_str());
        return uri;
    }

    static Ipp newRequest(ipp_op_t operation, const std::string& name) {
        Ipp request(ippNewRequest(operation));
        if (!name.empty()) {
            ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                         printerUri(name).c_str());
        }
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name",
                     nullptr, cupsUser());
        return request;
    }

    // The response when the server carried the request out, else nothing.
    Ipp send(Ipp request) {
        if (ownsConnection_ && http_ == nullptr) {
            return nullptr; // the named server could not be reached: never fall back to another
        }
        Ipp response(cupsDoRequest(http_, request.release(), "/admin/"));
        if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
            return nullptr;
        }
        return response;
    }

    static std::vector<QueueState> parseQueues(ipp_t* response) {
        std::vector<QueueState> queues;
        std::optional<QueueState> current;
        auto finish = [&] {
            if (current && !current->name.empty()) {
                queues.push_back(*current);
            }
            current.reset();
        };
        for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;
             attr = ippNextAttribute(response)) {
            const char* name = ippGetName(attr);
            if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
                finish();
                continue;
            }
            if (!current) {
                current.emplace();
            }
            const std::string key = name;
            if (key == "printer-name") {
                current->name = ippGetString(attr, 0, nullptr);
            } else if (key == "device-uri") {
                current->deviceUri = ippGetString(attr, 0, nullptr);
            } else if (key == "printer-make-and-model") {
                current->makeAndModel = ippGetString(attr, 0, nullptr);
            } else if (key == "printer-state") {
                current->state = ippGetInteger(attr, 0);
            } else if (key == "printer-is-accepting-jobs") {
                current->accepting = ippGetBoolean(attr, 0) != 0;
            } else if (key == "printer-state-message") {
                current->message = ippGetString(attr, 0, nullptr);
            } else if (key == "printer-type") {
                current->type = ippGetInteger(attr, 0);
            }
        }
        finish();
        return queues;
    }

    static void requestAttributes(ipp_t* request) {
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      static_cast<int>(sizeof kQueueAttributes / sizeof kQueueAttributes[0]),
                      nullptr, kQueueAttributes);
    }

    // Local printers only: no classes, no queues of other servers.
    std::vector<QueueState> listQueues() {
        Ipp request = newRequest(IPP_OP_CUPS_GET_PRINTERS, "");
        requestAttributes(request.get());
        Ipp response = send(std::move(request));
        std::vector<QueueState> local;
        if (!response) {
            return local; // no server, or no printers at all
        }
        for (QueueState& queue : parseQueues(response.get())) {
            if ((queue.type &
                 (CUPS_PRINTER_CLASS | CUPS_PRINTER_REMOTE | CUPS_PRINTER_DISCOVERED)) == 0) {
                local.push_back(std::move(queue));
            }
        }
        return local;
    }

    std::optional<QueueState> queryQueue(const std::string& name) {
        Ipp request = newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, name);
        requestAttributes(request.get());
        Ipp response = send(std::move(request));
        if (!response) {
            return std::nullopt;
        }
        std::vector<QueueState> queues = parseQueues(response.get());
        if (queues.empty()) {
            return std::nullopt;
        }
        return queues.front();
    }

    bool simpleRequest(ipp_op_t operation, const std::string& name, const char* message = nullptr) {
        Ipp request = newRequest(operation, name);
        if (message != nullptr) {
            ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_TEXT, "printer-state-message",
                         nullptr, message);
        }
        return send(std::move(request)) != nullptr;
    }

    // A queue that is stopped already (by an administrator, with a reason) is left as it is.
    bool stop(const std::string& name) {
        std::optional<QueueState> state = queryQueue(name);
        if (!state) {
            return false;
        }
        return state->state == IPP_PSTATE_STOPPED ||
               simpleRequest(IPP_OP_PAUSE_PRINTER, name, kCupsRedirectMessage);
    }

    bool giveBack(const std::string& name, const std::string& savedState) {
        if (savedState.empty()) {
            return true; // never stopped here: nothing to undo
        }
        std::optional<QueueState> saved = decodeState(savedState);
        std::optional<QueueState> now = queryQueue(name);
        if (!saved || !now) {
            return false;
        }
        const QueueState& before = *saved;
        bool done = true;
        if (now->deviceUri != before.deviceUri) {
            Ipp request = newRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, name);
            ippAddString(request.get(), IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr,
                         before.deviceUri.c_str());
            done = send(std::move(request)) != nullptr && done;
        }
        if (now->accepting != before.accepting) {
            done =
                simpleRequest(before.accepting ? IPP_OP_CUPS_ACCEPT_JOBS : IPP_OP_CUPS_REJECT_JOBS,
                              name) &&
                done;
        }
        // Last, so that nothing prints before the device URI is right again.
        if (before.state != IPP_PSTATE_STOPPED && now->state == IPP_PSTATE_STOPPED) {
            done = done && simpleRequest(IPP_OP_RESUME_PRINTER, name);
        }
        return done;
    }

    http_t* http_ = CUPS_HTTP_DEFAULT;
    bool ownsConnection_ = false;
};

class CupsQueue final : public SpoolerQueue {
  public:
    CupsQueue(CupsSpooler& spooler, std::string name) : spooler_(spooler), name_(std::move(name)) {}
    bool readRecord(PrinterQueueRecord& record) override {
        return spooler_.readRecord(name_, record);
    }
    bool writeRecord(const PrinterQueueRecord& record) override {
        return spooler_.writeRecord(name_, record);
    }

  private:
    CupsSpooler& spooler_;
    std::string name_;
};

std::unique_ptr<SpoolerQueue> CupsSpooler::openQueue(const std::string& printerName) {
    if (!exists(printerName)) {
        return nullptr;
    }
    return std::make_unique<CupsQueue>(*this, printerName);
}

} // namespace

std::unique_ptr<Spooler> makeCupsSpooler(const std::string& server) {
    return std::make_unique<CupsSpooler>(server);
}

#else

namespace {
class NoSpooler final : public Spooler {
  public:
    std::vector<PrinterQueueInfo> enumerateLocalQueues() override { return {}; }
    std::unique_ptr<SpoolerQueue> openQueue(const std::string&) override { return nullptr; }
};
} // namespace

std::unique_ptr<Spooler> makeCupsSpooler(const std::string&) {
    return std::make_unique<NoSpooler>();
}

#endif

std::unique_ptr<Spooler> makeSystemSpooler() {
    return makeCupsSpooler();
}
