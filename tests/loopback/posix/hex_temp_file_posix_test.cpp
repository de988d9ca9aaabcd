// What the POSIX temporary file promises against other users of a shared /tmp.
#include "download/HexConverter.h"
#include "platform/TempFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PrivateTmp : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mirelith-hex-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string put(const std::string& name, const std::string& text) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
        return dir_ + "/" + name;
    }
    std::string dir_;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(PrivateTmp, NewFileIsReadableByTheOwnerOnly) {
    TempFile file = TempFile::createIn(dir_, "tempHex", ".fls");
    ASSERT_TRUE(file.valid()) << file.error();
    EXPECT_EQ(file.path().rfind(dir_ + "/tempHex", 0), 0u) << file.path();
    struct stat st {};
    ASSERT_EQ(::lstat(file.path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PrivateTmp, APlantedLinkIsNeverFollowed) {
    // Someone else's file, and a link to it where the image would be written.
    std::string victim = put("victim", "precious");
    std::string planted = dir_ + "/tempHexplanted.fls";
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    TempFile file = TempFile::createAt(planted);
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(file.error(), static_cast<uint32_t>(EEXIST));
    EXPECT_EQ(readAll(victim), "precious");

    // A dangling link is refused as well: following it would create its target.
    std::string dangling = dir_ + "/tempHexdangling.fls";
    ASSERT_EQ(::symlink((dir_ + "/made-through-link").c_str(), dangling.c_str()), 0);
    EXPECT_FALSE(TempFile::createAt(dangling).valid());
    EXPECT_NE(::access((dir_ + "/made-through-link").c_str(), F_OK), 0);
}

TEST_F(PrivateTmp, ImageGoesToTmpdirAndAFailedCreationKeepsTheSelection) {
    std::string input = put("in.hex", ":0100000055AA\n");
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("TMPDIR", dir_.c_str(), 1);

    std::string firmwarePath = input;
    EXPECT_EQ(convertHexFile(input, firmwarePath), 1);
    EXPECT_EQ(firmwarePath.rfind(dir_ + "/tempHex", 0), 0u) << firmwarePath;
    deleteConvertedImage(firmwarePath);

    // The temporary directory has vanished: the conversion fails rather than reporting a
    // file that does not exist.
    setenv("TMPDIR", (dir_ + "/gone").c_str(), 1);
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
