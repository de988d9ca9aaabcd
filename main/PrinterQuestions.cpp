#include "main/PrinterQuestions.h"

#include "app/RunResult.h"
#include "engine/PrinterConnection.h"
#include "main/BuildInfo.h"
#include "platform/DeviceFactory.h"
#include "platform/FileSystem.h"
#include "platform/PortDeviceDescription.h"
#include "platform/SocketLayer.h"
#include "platform/UsbPathResolver.h"
#include "ports/UsbDiscovery.h"
#include "silentrun/IdentifyRun.h"

#include <chrono>
#include <cstdio>

namespace {
std::unique_ptr<PrinterReplies> connectOnSystem(const PortSettings& port, std::string& why) {
    return connectToPrinter(port, {systemSocketFactory(), systemDeviceFactory(), systemClock()},
                            why);
}
} // namespace

std::function<std::unique_ptr<PrinterReplies>(const PortSettings&)>
systemPrinterConnector(const std::string& jobPort) {
    // Taken now, before the transfer: after its restart a USB printer may come back on another
    // node, and is then found by its ids and serial number.
    const std::string stablePort = stableUsbPath(jobPort);
    return [jobPort, stablePort](const PortSettings& port) {
        PortSettings settings = port;
        if (settings.portName == jobPort) {
            settings.portName = stablePort;
        }
        std::string why;
        return connectOnSystem(settings, why);
    };
}

VerifySettings verifySettingsOf(const ToolOptions& options) {
    return {options.verify, options.expectVersion,
            options.verifyTimeoutSeconds.value_or(kDefaultVerifyTimeoutSeconds)};
}

int identifyOnSystem(const ToolOptions& options, Reporter& reporter) {
    // Asking sends only the queries: no queue is moved, no journal read, no log written.
    const SocketLayer sockets;
    IdentifyServices services{
        systemFileSystem(),
        reporter,
        systemClock(),
        connectOnSystem,
        [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
        [](const std::string& name, int32_t tcpPort) { return describePort(name, tcpPort).port; },
        [](const std::string& name, int32_t tcpPort) { return describePort(name, tcpPort).device; },
        [] { return isoUtc(std::chrono::system_clock::now()); },
        stdout,
        stderr};
    return runIdentify({options.arguments, options.resultPath, options.quiet, kProgramVersion},
                       services);
}
