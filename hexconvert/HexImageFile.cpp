#include "hexconvert/HexConverter.h"

#include "platform/TempFile.h"

int32_t convertHexFile(const std::string& inputPath, std::string& firmwarePath, HexResult& result) {
    std::vector<uint8_t> image;
    result = convertHexPath(inputPath, image);
    if (!result.ok())
        return 0;
    // A fresh private file every time: a fixed name in a shared folder could be a link
    // planted by someone else. Should anything fail, the object removes the partial file,
    // so a truncated image can never be sent.
    TempFile file = TempFile::create("tempHex", ".fls");
    if (!file.valid() || !file.write(hexImageCommand, sizeof hexImageCommand) ||
        !file.write(image.data(), image.size()) || !file.close()) {
        result.error = HexError::OutputFailed;
        return 0;
    }
    firmwarePath = file.release();
    return 1;
}

int32_t convertHexFile(const std::string& inputPath, std::string& firmwarePath) {
    HexResult result;
    return convertHexFile(inputPath, firmwarePath, result);
}

void deleteConvertedImage(const std::string& imagePath) {
    removeFile(imagePath);
}
