#pragma once
// SHA-256 (FIPS 180-4), so a run's result can name exactly which firmware file was sent. Fed in
// pieces, so a large image need not be held twice.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
  public:
    Sha256();
    void update(const void* data, size_t size);
    // The digest as 64 lower-case hexadecimal digits. The object is spent afterwards.
    std::string finishHex();

  private:
    void compress(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_{};
    size_t buffered_ = 0;
    uint64_t totalBytes_ = 0;
};
