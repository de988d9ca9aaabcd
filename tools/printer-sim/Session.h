#pragma once
// One stream of bytes from the host (a TCP connection or the pseudo-terminal). Queries are
// recognised only in a command phase: at the start of a stream or after a pause, before any
// image byte, so an image that happens to contain a query's bytes is stored unchanged.
#include <cstdint>
#include <functional>
#include <vector>

class Session {
  public:
    // GS I 65 to 68 (version, maker, model name, serial number) and the FPGA type query.
    enum class Query { Version, FpgaType, Maker, ModelName, Serial };

    // A pause this long (ms) ends an image and opens a new command phase.
    static constexpr int64_t pauseMs = 300;

    Session(std::function<void(Query)> onQuery,
            std::function<void(const uint8_t*, size_t)> onImageBytes)
        : onQuery_(std::move(onQuery)), onImageBytes_(std::move(onImageBytes)) {}

    // Bytes that arrived at `nowMs` (a monotonic time in ms).
    void take(const uint8_t* data, size_t length, int64_t nowMs);
    // The stream ended: what is held back as a possible query is image data after all.
    void end();

    uint64_t imageBytes() const { return imageBytes_; }

  private:
    void deliver(const uint8_t* data, size_t length);

    std::function<void(Query)> onQuery_;
    std::function<void(const uint8_t*, size_t)> onImageBytes_;
    std::vector<uint8_t> pending_;
    bool commandPhase_ = true;
    int64_t lastByteMs_ = -1;
    uint64_t imageBytes_ = 0;
};
