#include "tools/printer-sim/Options.h"

#include <algorithm>
#include <cstdlib>

const char* const simUsage = R"(Usage: printer-sim [options]
An emulated printer for tests and demos. It takes in a firmware image over TCP on 127.0.0.1
and/or over a pseudo-terminal, stores the bytes it receives, answers the version query
(1D 49 41) and the FPGA type query (08 13 25 01 02) when told how, and can misbehave on purpose.

Its first line on standard output names what it listens on, e.g.
  tcp=40123 pty=/dev/pts/7
It exits cleanly (status 0) on SIGTERM or SIGINT, printing the byte count on standard error.

Endpoints:
  --tcp[=PORT]          listen on 127.0.0.1 (PORT 0 or none: any free port)
  --pty                 open a pseudo-terminal and take data from it
  --output FILE         write the image bytes received (queries left out) to FILE
  --info-file FILE      also write "tcp=PORT" and "pty=PATH" lines to FILE once ready
Replies:
  --version TEXT        answer the version query with "_" TEXT and a zero byte (e.g. 1.35)
  --fpga DIGIT          answer the FPGA type query with "_" DIGIT "000" and a zero byte
  --version-hex HEX     answer the version query with these bytes (e.g. 5F312E333500)
  --fpga-hex HEX        answer the FPGA type query with these bytes
  --short-reply WHICH   send only the first 4 bytes of the reply (WHICH: version or fpga)
  --garble-reply WHICH  send the reply with each byte's bit 5 flipped
  --maker TEXT          answer GS I 66 (1D 49 42) with "_" TEXT and a zero byte
  --model TEXT          answer GS I 67 (1D 49 43) likewise
  --serial TEXT         answer GS I 68 (1D 49 44) likewise
Restart after an image:
  --restart-seconds N   once an image is taken and its connection closed, be away N seconds
                        (no connection accepted, nothing read from the pseudo-terminal)
  --version-after TEXT  the version reported after the restart (default: unchanged)
  --never-back          do not come back after an image at all
Faults:
  --close-after N       drop the connection (or close the pseudo-terminal) after N image bytes
  --stall-after N       stop reading after N image bytes (the sender's writes then block)
  --reset-after N       read N image bytes, stop reading for half a second, then reset the
                        connection; says how many more bytes were waiting unread
  --read-pace BYTES/MS  a slow printer: take at most BYTES, then pause MS milliseconds
  --receive-buffer N    the TCP receive buffer (SO_RCVBUF) of each connection, so the
                        printer's side cannot hold the whole image before it is read
  --refuse              hold the TCP port but refuse every connection
  --once                exit after the first TCP connection has ended
  --help                this text
)";

namespace {

bool parseNumber(const std::string& text, uint64_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return *end == '\0';
}

bool parseHex(const std::string& text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
    }
    return true;
}

std::vector<uint8_t> replyText(const std::string& text) {
    // Built in one go: GCC 12 misreads an insert after a one-element brace init at -O2.
    std::vector<uint8_t> bytes(text.size() + 2, 0);
    bytes[0] = '_';
    std::copy(text.begin(), text.end(), bytes.begin() + 1);
    return bytes;
}

} // namespace

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args,
                                          std::string& error) {
    SimOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--tcp") {
            options.tcp = true;
        } else if (arg.rfind("--tcp=", 0) == 0) {
            if (!parseNumber(arg.substr(6), n) || n > 65535) {
                error = "bad TCP port: " + arg;
                return std::nullopt;
            }
            options.tcp = true;
            options.tcpPort = static_cast<uint16_t>(n);
        } else if (arg == "--pty") {
            options.pty = true;
        } else if (arg == "--output") {
            if (!value(options.outputPath)) {
                return std::nullopt;
            }
        } else if (arg == "--info-file") {
            if (!value(options.infoPath)) {
                return std::nullopt;
            }
        } else if (arg == "--version") {
            if (!value(v)) {
                return std::nullopt;
            }
            options.versionReply = replyText(v);
        } else if (arg == "--maker" || arg == "--model" || arg == "--serial" ||
                   arg == "--version-after") {
            if (!value(v)) {
                return std::nullopt;
            }
            (arg == "--maker"    ? options.makerReply
             : arg == "--model"  ? options.modelReply
             : arg == "--serial" ? options.serialReply
                                 : options.versionAfterReply) = replyText(v);
        } else if (arg == "--restart-seconds") {
            if (!value(v) || !parseNumber(v, n)) {
                error = arg + " takes a number of seconds";
                return std::nullopt;
            }
            options.restartSeconds = n;
        } else if (arg == "--never-back") {
            options.neverBack = true;
        } else if (arg == "--fpga") {
            if (!value(v)) {
                return std::nullopt;
            }
            options.fpgaReply = replyText(v + "000");
        } else if (arg == "--version-hex" || arg == "--fpga-hex") {
            std::vector<uint8_t> bytes;
            if (!value(v) || !parseHex(v, bytes)) {
                error = error.empty() ? "bad hex bytes for " + arg : error;
                return std::nullopt;
            }
            (arg == "--version-hex" ? options.versionReply : options.fpgaReply) = bytes;
        } else if (arg == "--short-reply" || arg == "--garble-reply") {
            if (!value(v) || (v != "version" && v != "fpga")) {
                error = arg + " takes version or fpga";
                return std::nullopt;
            }
            const bool version = v == "version";
            if (arg == "--short-reply") {
                (version ? options.shortVersion : options.shortFpga) = true;
            } else {
                (version ? options.garbleVersion : options.garbleFpga) = true;
            }
        } else if (arg == "--close-after" || arg == "--stall-after") {
            if (!value(v) || !parseNumber(v, n)) {
                error = arg + " takes a byte count";
                return std::nullopt;
            }
            (arg == "--close-after" ? options.closeAfter : options.stallAfter) = n;
        } else if (arg == "--reset-after" || arg == "--receive-buffer") {
            if (!value(v) || !parseNumber(v, n) || n == 0) {
                error = arg + " takes a byte count above 0";
                return std::nullopt;
            }
            (arg == "--reset-after" ? options.resetAfter : options.receiveBuffer) = n;
        } else if (arg == "--read-pace") {
            const size_t slash = value(v) ? v.find('/') : std::string::npos;
            uint64_t ms = 0;
            if (slash == std::string::npos || !parseNumber(v.substr(0, slash), n) || n == 0 ||
                !parseNumber(v.substr(slash + 1), ms)) {
                error = arg + " takes BYTES/MS, e.g. 2048/100";
                return std::nullopt;
            }
            options.paceBytes = n;
            options.paceMs = ms;
        } else if (arg == "--refuse") {
            options.refuse = true;
            options.tcp = true;
        } else if (arg == "--once") {
            options.once = true;
        } else {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
    }
    if (!options.help && !options.tcp && !options.pty) {
        error = "nothing to listen on: give --tcp and/or --pty";
        return std::nullopt;
    }
    return options;
}
