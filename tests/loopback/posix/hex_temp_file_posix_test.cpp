// What the POSIX temporary file promises against other users of a shared /tmp.
#include "download/HexConverter.h"
#include "platform/TempFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
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
        const char* old = std::getenv("TMPDIR");
        hadTmpdir_ = old != nullptr;
        if (hadTmpdir_)
            oldTmpdir_ = old;
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadTmpdir_)
            setenv("TMPDIR", oldTmpdir_.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string dir_;
    std::string oldTmpdir_;
    bool hadTmpdir_ = false;
};

std::string writeFile(const std::string& path, const std::string& text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
    return path;
}

} // namespace

TEST_F(PrivateTmp, ImageGoesToTmpdirReadableByTheOwnerOnly) {
    std::string input = writeFile(dir_ + "/in.hex", ":0100000055AA\n");
    std::string firmwarePath = input;
    ASSERT_EQ(convertHexFile(input, firmwarePath), 1);
    EXPECT_EQ(firmwarePath.rfind(dir_ + "/tempHex", 0), 0u) << firmwarePath;
    struct stat st {};
    ASSERT_EQ(::lstat(firmwarePath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, static_cast<off_t>(hexImageFileSize));
    deleteConvertedImage(firmwarePath);
    EXPECT_NE(::access(firmwarePath.c_str(), F_OK), 0);
}

TEST_F(PrivateTmp, APlantedLinkIsNeverFollowed) {
    // Someone else's file, and a link to it where the image would be written.
    std::string victim = writeFile(dir_ + "/victim", "precious");
    std::string planted = dir_ + "/tempHexplanted.fls";
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    TempFile file = TempFile::createAt(planted);
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(file.error(), static_cast<uint32_t>(EEXIST));

    // A dangling link is refused as well: following it would create the target.
    std::string dangling = dir_ + "/tempHexdangling.fls";
    ASSERT_EQ(::symlink((dir_ + "/created-through-link").c_str(), dangling.c_str()), 0);
    EXPECT_FALSE(TempFile::createAt(dangling).valid());
    EXPECT_NE(::access((dir_ + "/created-through-link").c_str(), F_OK), 0);

    char buf[16] = {};
    int fd = ::open(victim.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::read(fd, buf, sizeof buf), 8);
    ::close(fd);
    EXPECT_STREQ(buf, "precious");
}

TEST_F(PrivateTmp, AFailedWriteLeavesNoPartialImage) {
    // An image directory that has vanished: creation fails and the selection is kept.
    ASSERT_EQ(::rmdir(dir_.c_str()), 0);
    std::string firmwarePath = "/somewhere/else.hex";
    HexResult result;
    char tmpl[] = "/tmp/mirelith-hex-in-XXXXXX";
    int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, ":0100000055AA\n", 14), 14);
    ::close(fd);
    EXPECT_EQ(convertHexFile(tmpl, firmwarePath, result), 0);
    EXPECT_EQ(result.error, HexError::OutputFailed);
    EXPECT_EQ(firmwarePath, "/somewhere/else.hex");
    ::unlink(tmpl);
    ASSERT_EQ(::mkdir(dir_.c_str(), 0700), 0); // for TearDown
}
