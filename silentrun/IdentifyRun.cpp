#include "silentrun/IdentifyRun.h"

#include "app/ExitStatus.h"
#include "app/RunResult.h"
#include "app/SettingsReaders.h"
#include "engine/ModelRules.h"
#include "models/ModelTable.h"
#include "platform/TextEscape.h"

#include <nlohmann/json.hpp>

namespace {

nlohmann::ordered_json orNull(const std::optional<std::string>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

bool hasWord(const std::vector<std::string>& words, const char* word) {
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == word) {
            return true;
        }
    }
    return false;
}

// The port of the command line, read by the silent run's own rules. The model and file that a
// silent run needs are not asked for here, so stand-ins keep firmware discovery out of it.
std::optional<StartupSettings> portOptions(std::vector<std::string> words, IdentifyServices& s) {
    if (words.size() < 2 || words[1] != "-s") {
        words.insert(words.begin() + (words.empty() ? 0 : 1), "-s");
    }
    if (!hasWord(words, "-m")) {
        words.insert(words.end(), {"-m", "?"});
    }
    if (!hasWord(words, "-f")) {
        words.insert(words.end(), {"-f", "?"});
    }
    StartupSettings settings;
    if (parseCommandLine(settings, words, s.files, s.reporter) != RunMode::Silent) {
        return std::nullopt;
    }
    return settings;
}

} // namespace

std::string identityLines(const PrinterIdentity& identity) {
    const auto line = [](const char* name, const std::optional<std::string>& value) {
        return std::string(name) + ": " + (value ? escapeForLine(*value) : "unknown") + "\n";
    };
    return line("firmware", identity.firmware) + line("maker", identity.maker) +
           line("model", identity.model) + line("serial", identity.serial);
}

int runIdentify(const IdentifyRequest& request, IdentifyServices& s) {
    const std::string started = s.now();
    const uint32_t startTick = s.clock.tickCount();
    PrinterIdentity identity;
    std::string port;
    std::string device;
    std::string reason;
    int status = kExitNormal;

    std::optional<StartupSettings> settings = portOptions(request.arguments, s);
    if (!settings) {
        status = kExitInvalidParameters;
        reason = "no port to ask: --identify takes -p COMn|LPTn|USB|NET <address> or a device "
                 "path, with -b, -tcpport, and -m where USB needs the model";
    } else {
        if (settings->portIsUsb && !settings->portGiven) {
            settings->portSettings.portName =
                s.findUsbPrinterPort(modelCodeFor(settings->modelName));
            settings->portGiven = !settings->portSettings.portName.empty();
        }
        settings->fillSerialDefaults();
        const PortSettings& ports = settings->portSettings;
        port = settings->portIsUsb && ports.portName.empty()
                   ? "USB"
                   : s.portLabel(ports.portName, ports.baudRate);
        device = ports.portName.empty() ? "" : s.device(ports.portName, ports.baudRate);
        std::unique_ptr<PrinterReplies> printer;
        if (!settings->portGiven) {
            reason = "no attached USB printer belongs to model " + settings->modelName;
        } else {
            printer = s.connect(ports, reason);
        }
        if (!printer) {
            status = kExitNothingDownloaded;
        } else {
            identity = identifyPrinter(*printer, s.clock);
            if (!identity.firmware) {
                status = kExitNotVerified;
                reason = portKindForName(ports.portName) == PortKind::Lpt
                             ? "a parallel port carries no replies from the printer"
                             : "the printer did not say its firmware version";
            }
        }
    }

    if (status != kExitInvalidParameters && status != kExitNothingDownloaded) {
        std::fputs(identityLines(identity).c_str(), s.out);
    }
    if (!reason.empty() && (status != kExitNormal || !request.quiet)) {
        std::fprintf(s.err, "mirelith: %s\n", escapeForLine(reason).c_str());
    }
    if (request.resultPath) {
        nlohmann::ordered_json json;
        json["exit_status"] = status;
        json["reason"] =
            reason.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(reason);
        json["firmware"] = orNull(identity.firmware);
        json["maker"] = orNull(identity.maker);
        json["model"] = orNull(identity.model);
        json["serial"] = orNull(identity.serial);
        json["port"] =
            port.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(port);
        json["device"] =
            device.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(device);
        json["started"] = started;
        json["duration_ms"] = static_cast<int64_t>(s.clock.tickCount() - startTick);
        json["version"] = request.programVersion;
        std::string error;
        if (!writeFileAtomically(
                *request.resultPath,
                json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n",
                error)) {
            std::fprintf(s.err, "mirelith: the result file was not written: %s\n", error.c_str());
        }
    }
    return status;
}
