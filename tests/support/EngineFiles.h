#pragma once
// Firmware files for engine tests, in a private scratch directory removed at the end, and the
// bytes and texts tests build them from or read back.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
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
        std::error_code ec; // read-only files cannot be removed on Windows
        for (const auto& entry : std::filesystem::directory_iterator(dir_, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ec);
        }
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path(name);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

// Everything written to a temporary file, which is closed.
inline std::string textOfClosed(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += char(c);
    }
    std::fclose(file);
    return text;
}

inline std::vector<uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

inline std::vector<uint8_t> joined(std::vector<uint8_t> head, const std::vector<uint8_t>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline std::vector<uint8_t> patternBytes(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 31 + 1);
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

} // namespace enginefakes
