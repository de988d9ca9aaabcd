#pragma once
// Command line of printer-sim.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SimOptions {
    bool tcp = false;
    uint16_t tcpPort = 0; // 0: any free port
    bool pty = false;
    std::string outputPath;
    std::string infoPath;
    std::optional<std::vector<uint8_t>> versionReply; // answer to 1D 49 41
    std::optional<std::vector<uint8_t>> fpgaReply;    // answer to 08 13 25 01 02
    bool shortVersion = false;
    bool shortFpga = false;
    bool garbleVersion = false;
    bool garbleFpga = false;
    std::optional<uint64_t> closeAfter;
    std::optional<uint64_t> stallAfter;
    // Answers to GS I 66, 67 and 68 (maker, model name, serial number).
    std::optional<std::vector<uint8_t>> makerReply;
    std::optional<std::vector<uint8_t>> modelReply;
    std::optional<std::vector<uint8_t>> serialReply;
    // After taking an image the printer restarts: it is away for restartSeconds (accepting no
    // connection, answering nothing), or for good, and then reports versionAfter.
    uint64_t restartSeconds = 0;
    bool neverBack = false;
    std::optional<std::vector<uint8_t>> versionAfterReply;
    std::optional<uint64_t> resetAfter;
    std::optional<uint64_t> receiveBuffer;
    uint64_t paceBytes = 0; // 0: read as fast as the data comes
    uint64_t paceMs = 0;
    bool refuse = false;
    bool once = false;
    bool help = false;
};

// Parses argv; on a bad argument returns nullopt and sets `error`.
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const simUsage;
