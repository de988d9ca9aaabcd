#pragma once
// Firmware files for engine tests, in a private scratch directory removed at the end.
#include "support/EngineFakes.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace enginefakes {

class ScratchDir {
  public:
    ScratchDir() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("mirelith-engine-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
        for (const auto& entry : std::filesystem::directory_iterator(dir_, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ec);
        }
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const auto path = dir_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

inline std::vector<uint8_t> patternBytes(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 31 + seed);
    }
    return bytes;
}

// An image of `size` bytes (at least 44) carrying an FPGA header of the given type (0, 1 or 2).
inline std::vector<uint8_t> fpgaImage(int type, size_t size = 300) {
    auto bytes = patternBytes(size);
    bytes[9] = 'D';
    bytes[10] = 'x';
    bytes[40] = 0xCF;
    bytes[41] = type == 2 ? '!' : 'A';
    bytes[42] = type == 1 ? 0xA1 : 0x00;
    bytes[43] = 0x03;
    return bytes;
}

// Engines with a job each: a silent run by default, model "T90 Prime", TCP port 9100, the image
// in a file of its own.
class Rigs {
  public:
    EngineRig& make(const std::string& portName, int32_t modelCode,
                    const std::vector<uint8_t>& image, int32_t silent = 1) {
        EngineRig& r = rigs_.emplace_back();
        r.dialog.silentRun = silent;
        r.dialog.modelCode = modelCode;
        r.dialog.modelName = "T90 Prime";
        r.dialog.portSettings.portName = portName;
        r.dialog.portSettings.baudRate = 9100;
        r.dialog.firmwarePath = scratch.file("fw" + std::to_string(rigs_.size()) + ".fls", image);
        return r;
    }
    ScratchDir scratch;

  private:
    std::deque<EngineRig> rigs_;
};

} // namespace enginefakes
