#pragma once
// "--identify": the printer on the port of a silent command line is asked who it is; nothing is
// sent to it but the four queries. One line per field on the output, an optional JSON result.
#include "app/Reporter.h"
#include "engine/PrinterIdentity.h"
#include "platform/FileSystem.h"
#include "ports/PortSettings.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct IdentifyRequest {
    // The port options as a silent command line gives them (-p, -b, -tcpport, -m), the program
    // first; "-s" may be left out.
    std::vector<std::string> arguments;
    std::optional<std::string> resultPath;
    bool quiet = false;
    std::string programVersion;
};

struct IdentifyServices {
    FileSystem& files;
    Reporter& reporter;
    Clock& clock;
    // A connection to the printer on that port; nothing, with why, when it cannot be had.
    std::function<std::unique_ptr<PrinterReplies>(const PortSettings&, std::string& why)> connect;
    // The device path of the first attached USB printer of a model ("" when none).
    std::function<std::string(int32_t modelCode)> findUsbPrinterPort;
    // The port as a person names it and what it leads to, as the silent run reports them.
    std::function<std::string(const std::string& portName, int32_t tcpPort)> portLabel;
    std::function<std::string(const std::string& portName, int32_t tcpPort)> device;
    // The date and time now as the result file writes it.
    std::function<std::string()> now;
    std::FILE* out;
    std::FILE* err;
};

// The exit status: 0 the printer said its version, 1 the port options are not valid, 2 the port
// could not be opened or the printer not connected, 5 reached but no version said.
int runIdentify(const IdentifyRequest& request, IdentifyServices& services);

// "firmware: 1.20" and the like, "unknown" where the printer said nothing.
std::string identityLines(const PrinterIdentity& identity);
