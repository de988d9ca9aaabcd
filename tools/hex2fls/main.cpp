// hex2fls: converts an Intel HEX or Motorola S-record file into the firmware image the
// downloader sends for models 100 and 101 (1B 23 6D 6B followed by 262,144 bytes).
#include "hexconvert/HexConverter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Exit { Converted = 0, ConversionFailed = 1, Usage = 2, WriteFailed = 3 };

void usage(std::FILE* out) {
    std::fputs("Usage: hex2fls IN OUT\n"
               "\n"
               "Converts the Intel HEX or Motorola S-record file IN into the firmware image\n"
               "that models 100 and 101 receive, and writes it to OUT: the four bytes\n"
               "1B 23 6D 6B followed by a 262144-byte image, 0xFF where IN has no data.\n"
               "\n"
               "Intel HEX: data (00) and extended segment address (02) records are used;\n"
               "extended linear address (04) records are ignored. S-records: S1, S2 and S3\n"
               "data records are used; the file needs at least one S2 or S3 record.\n"
               "Check sums are not verified. The conversion fails when data lies outside\n"
               "the image, exceeds 262144 bytes, or gives one address two different values.\n"
               "\n"
               "Exit status: 0 converted, 1 IN could not be converted, 2 wrong arguments,\n"
               "3 OUT could not be written.\n",
               out);
}

bool writeImage(const char* path, const std::vector<uint8_t>& image) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr)
        return false;
    bool ok =
        std::fwrite(hexImageCommand, 1, sizeof hexImageCommand, out) == sizeof hexImageCommand &&
        std::fwrite(image.data(), 1, image.size(), out) == image.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok)
        std::remove(path); // never leave a truncated image behind
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return Converted;
    }
    if (argc != 3) {
        std::fputs("hex2fls: expected an input and an output file\n\n", stderr);
        usage(stderr);
        return Usage;
    }
    std::vector<uint8_t> image;
    HexResult result = convertHexPath(argv[1], image);
    if (!result.ok()) {
        std::fprintf(stderr, "hex2fls: %s: %s\n", argv[1], describeHexResult(result).c_str());
        return ConversionFailed;
    }
    if (!writeImage(argv[2], image)) {
        std::fprintf(stderr, "hex2fls: %s: cannot write the image: %s\n", argv[2],
                     std::strerror(errno));
        return WriteFailed;
    }
    return Converted;
}
