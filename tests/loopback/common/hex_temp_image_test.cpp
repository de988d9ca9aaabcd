// The converted image on disk: a private file under a fresh name, written in full, removed
// again on every path. Runs on Linux and, through Wine, on Windows.
#include "download/HexConverter.h"
#include "platform/TempFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An input file of the test's own, removed at the end.
struct InputFile {
    explicit InputFile(const std::string& text) {
        static int n = 0;
        path = (fs::temp_directory_path() / ("hex_input_" + std::to_string(++n) + ".hex")).string();
        std::ofstream(path, std::ios::binary) << text;
    }
    ~InputFile() { fs::remove(path); }
    std::string path;
};

// The names of the converter's image files now present in its directory.
std::set<std::string> imageFiles() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(TempFile::defaultDirectory())) {
        std::string name = entry.path().filename().string();
        if (name.rfind("tempHex", 0) == 0)
            names.insert(name);
    }
    return names;
}

} // namespace

TEST(HexTempImage, ConvertsIntoANewPrivateFileAndDeletesIt) {
    InputFile input(":0400000001020304F2\n:00000001FF\n");
    const auto before = imageFiles();
    std::string firmwarePath = input.path;
    ASSERT_EQ(convertHexFile(input.path, firmwarePath), 1);
    ASSERT_NE(firmwarePath, input.path);
    // Directly inside the temporary directory, named tempHex...
    const std::string dir = TempFile::defaultDirectory();
    ASSERT_EQ(firmwarePath.rfind(dir, 0), 0u) << firmwarePath << " not in " << dir;
    std::string name = firmwarePath.substr(dir.size());
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        name.erase(0, 1);
    EXPECT_EQ(name.rfind("tempHex", 0), 0u) << name;
    EXPECT_EQ(name.find_first_of("/\\"), std::string::npos) << name;
    EXPECT_EQ(fs::path(firmwarePath).extension(), ".fls");

    std::string image = readAll(firmwarePath);
    ASSERT_EQ(image.size(), hexImageFileSize);
    EXPECT_EQ(image.substr(0, 8), std::string("\x1B\x23\x6D\x6B\x01\x02\x03\x04"));
    EXPECT_EQ(image.find_first_not_of('\xFF', 8), std::string::npos);

    // A second conversion never reuses the first one's name.
    std::string second;
    ASSERT_EQ(convertHexFile(input.path, second), 1);
    EXPECT_NE(second, firmwarePath);

    deleteConvertedImage(firmwarePath);
    deleteConvertedImage(second);
    EXPECT_FALSE(fs::exists(firmwarePath));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(imageFiles(), before);
    deleteConvertedImage(second); // already gone: harmless
}

TEST(HexTempImage, TempFileIsExclusiveAndCleansUpAfterItself) {
    std::string path;
    {
        TempFile file = TempFile::create("tempHex", ".fls");
        ASSERT_TRUE(file.valid()) << file.error();
        path = file.path();
        ASSERT_TRUE(file.write("abc", 3));
        // The name exists now: creating it again must fail, not reopen or truncate it.
        TempFile again = TempFile::createAt(path);
        EXPECT_FALSE(again.valid());
        EXPECT_NE(again.error(), 0u);
        ASSERT_TRUE(file.close());
        EXPECT_EQ(readAll(path), "abc");
        TempFile moved = std::move(file); // ownership moves, removal happens once
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path)); // never released: removed

    TempFile nowhere =
        TempFile::createIn((fs::temp_directory_path() / "no_such_dir").string(), "tempHex", ".fls");
    EXPECT_FALSE(nowhere.valid());
    EXPECT_NE(nowhere.error(), 0u);
}
