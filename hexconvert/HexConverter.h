#pragma once
// Turns an Intel HEX or Motorola S-record text file into the flat firmware image that models
// 100 and 101 take: the command bytes 1B 23 6D 6B followed by 262,144 bytes, 0xFF where no
// record puts data.
//
// Input is read in chunks and only the first few hundred characters of a line are kept (no
// record field lies beyond them), so memory stays bounded whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t hexImageSize = 0x40000;
inline constexpr uint8_t hexImageCommand[4] = {0x1B, 0x23, 0x6D, 0x6B};
inline constexpr size_t hexImageFileSize = sizeof(hexImageCommand) + hexImageSize;

enum class HexFormat { Undecided, IntelHex, SRecord6, SRecord8 };

enum class HexError {
    None,
    CannotOpen,         // the input file cannot be opened
    ReadFailed,         // reading or rewinding the input failed part way
    Empty,              // no line at all
    BadLeadChar,        // the first decisive line begins with something other than ':', 'S', 's'
    LeadMismatch,       // a later line's lead character does not belong to the chosen format
    NoFormat,           // no S2, S3 or Intel line decided the format
    TooManyBytes,       // more than hexImageSize data bytes
    OutsideImage,       // a data byte's offset lies outside the image
    ConflictingByte,    // a data byte overwrites an earlier byte of the file with another value
    ShortRecord,        // a record ends inside its header, or holds fewer data characters than
                        // its count says
    LoneCarriageReturn, // a CR that is not part of a CR LF line end (old Mac line ends)
    OutputFailed,       // the image file could not be created or written in full
};

struct HexResult {
    HexError error = HexError::None;
    HexFormat format = HexFormat::Undecided;
    uint64_t line = 0;   // 1-based line of the failure, 0 when it belongs to no line
    int64_t offset = -1; // image offset of the failing data byte, -1 when none
    uint32_t dataBytes = 0;

    bool ok() const { return error == HexError::None; }
};

// Where the converter reads its input from: a byte stream that can start over for the
// second pass.
class HexInput {
  public:
    virtual ~HexInput() = default;
    // Up to `capacity` bytes into `buffer`; 0 at the end of the input or on error.
    virtual size_t read(char* buffer, size_t capacity) = 0;
    // Back to the first byte; false if that is impossible.
    virtual bool rewind() = 0;
    // True once a read has failed (as opposed to reaching the end).
    virtual bool failed() const { return false; }
};

// The whole conversion, without files. On success `image` holds hexImageSize bytes; on
// failure its contents carry no meaning.
HexResult convertHex(HexInput& input, std::vector<uint8_t>& image);
HexResult convertHexText(std::string_view text, std::vector<uint8_t>& image);
HexResult convertHexPath(const std::string& path, std::vector<uint8_t>& image);

// A short English explanation of a failed result, for command-line tools and logs.
std::string describeHexResult(const HexResult& result);

// 1 on success: the image file (1B 23 6D 6B + 262,144 bytes) was written to a new private
// temporary file and firmwarePath names it. 0 on failure: nothing written, firmwarePath kept.
int32_t convertHexFile(const std::string& inputPath, std::string& firmwarePath);
// Same, also telling why it failed.
int32_t convertHexFile(const std::string& inputPath, std::string& firmwarePath, HexResult& result);
// Removes the file convertHexFile made; harmless if it is already gone.
void deleteConvertedImage(const std::string& imagePath);
