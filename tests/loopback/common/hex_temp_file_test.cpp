// The converted HEX image on disk: a private file under a fresh name in the temporary directory,
// written in full and removed again. Runs on Linux and, through Wine, on Windows; what the file
// promises against other users of a shared /tmp is checked on POSIX systems only.
#include "hexconvert/HexConverter.h"
#include "platform/TempFile.h"
#include "support/EngineFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using enginefakes::ScratchDir;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string put(const ScratchDir& dir, const std::string& name, const std::string& text) {
    std::ofstream(dir.path(name), std::ios::binary) << text;
    return dir.path(name);
}

TEST(HexTempFile, ConversionWritesTheWholeImageToAFreshFileThatDeleteRemoves) {
    ScratchDir dir;
    const std::string input = put(dir, "in.hex", ":0400000001020304F2\n:00000001FF\n");
    std::string first = input;
    std::string second;
    ASSERT_EQ(convertHexFile(input, first), 1);
    ASSERT_EQ(convertHexFile(input, second), 1);
    EXPECT_NE(first, second);
    const fs::path image(first);
    EXPECT_EQ((fs::path(TempFile::defaultDirectory()) / image.filename()).lexically_normal(),
              image.lexically_normal());
    EXPECT_EQ(image.filename().string().rfind("tempHex", 0), 0u) << first;
    EXPECT_EQ(image.extension(), ".fls");

    const std::string bytes = readAll(first);
    ASSERT_EQ(bytes.size(), hexImageFileSize);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x1B\x23\x6D\x6B\x01\x02\x03\x04"));
    EXPECT_EQ(bytes.find_first_not_of('\xFF', 8), std::string::npos);

    deleteConvertedImage(first);
    deleteConvertedImage(second);
    deleteConvertedImage(second); // already gone: harmless
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
}

TEST(HexTempFile, CreatedOnlyUnderANewNameAndRemovedUnlessReleased) {
    ScratchDir dir;
    std::string path;
    {
        TempFile file = TempFile::createIn(dir.path(""), "tempHex", ".fls");
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
    EXPECT_FALSE(fs::exists(path));

    TempFile nowhere = TempFile::createIn(dir.path("no_such_dir"), "tempHex", ".fls");
    EXPECT_FALSE(nowhere.valid());
    EXPECT_NE(nowhere.error(), 0u);
}

#ifndef _WIN32
TEST(HexTempFile, OwnerOnlyAndNeverThroughAPlantedLink) {
    ScratchDir dir;
    TempFile file = TempFile::createIn(dir.path(""), "tempHex", ".fls");
    ASSERT_TRUE(file.valid()) << file.error();
    EXPECT_EQ(fs::status(file.path()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);

    // Someone else's file, and a link to it where the image would be written.
    const std::string victim = put(dir, "victim", "precious");
    fs::create_symlink(victim, dir.path("tempHexplanted.fls"));
    const TempFile planted = TempFile::createAt(dir.path("tempHexplanted.fls"));
    EXPECT_FALSE(planted.valid());
    EXPECT_EQ(planted.error(), static_cast<uint32_t>(EEXIST));
    EXPECT_EQ(readAll(victim), "precious");
}

TEST(HexTempFile, ImageGoesToTmpdirAndAVanishedTmpdirFailsTheConversion) {
    ScratchDir dir;
    const std::string input = put(dir, "in.hex", ":0100000055AA\n");
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("TMPDIR", dir.path("").c_str(), 1);
    std::string firmwarePath = input;
    EXPECT_EQ(convertHexFile(input, firmwarePath), 1);
    EXPECT_EQ(fs::path(firmwarePath).parent_path(), fs::path(dir.path("")).parent_path());

    // Failing beats reporting a file that does not exist; the selection stays as it was.
    setenv("TMPDIR", dir.path("gone").c_str(), 1);
    firmwarePath = input;
    HexResult result;
    EXPECT_EQ(convertHexFile(input, firmwarePath, result), 0);
    EXPECT_EQ(result.error, HexError::OutputFailed);
    EXPECT_EQ(firmwarePath, input);
    if (old != nullptr)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}
#endif

} // namespace
