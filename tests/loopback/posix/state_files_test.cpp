// The journal files on the real file system: what another user could have planted beside them
// (links, FIFOs, other users' or shared files, a huge sparse file) is refused, never followed.
#include "platform/StateFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class StateFilesOnDisk : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string contentOf(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const std::string& name, const std::string& text, mode_t mode = 0600) {
        std::ofstream(path(name), std::ios::binary) << text;
        ::chmod(path(name).c_str(), mode);
    }

    fs::path dir =
        fs::temp_directory_path() / ("mirelith_state_" + std::to_string(std::random_device{}()));
    StateFiles& files = systemStateFiles();
    static constexpr uint64_t kLimit = 64 * 1024;
};

TEST_F(StateFilesOnDisk, ReadBelievesOnlyThisUsersSmallPrivateRegularFiles) {
    write("good.journal", "text");
    EXPECT_EQ(files.read(path("good.journal"), kLimit).text, "text");
    const StateFileText missing = files.read(path("missing.journal"), kLimit);
    EXPECT_TRUE(!missing.text && missing.refusal.empty());

    fs::create_symlink("/dev/zero", path("zero.journal"));
    write("shared.journal", "text", 0666);
    ASSERT_EQ(::mkfifo(path("fifo.journal").c_str(), 0600), 0);
    write("huge.journal", "");
    fs::resize_file(path("huge.journal"), uint64_t(8) << 30); // sparse: no disk is used
    const std::pair<const char*, const char*> refused[] = {
        {"zero.journal", "a symbolic link, not followed"},
        {"shared.journal", "writable by other users"},
        {"fifo.journal", "not a regular file"},
        {"huge.journal", "larger than 65536 bytes"},
    };
    for (const auto& [name, why] : refused) {
        const StateFileText read = files.read(path(name), kLimit);
        EXPECT_TRUE(!read.text && read.refusal == why) << name << ": " << read.refusal;
    }
    if (::geteuid() == 0) {
        write("theirs.journal", "text");
        ASSERT_EQ(::chown(path("theirs.journal").c_str(), 65534, 65534), 0);
        EXPECT_EQ(files.read(path("theirs.journal"), kLimit).refusal, "owned by another user");
    }
}

TEST_F(StateFilesOnDisk, ReplaceAndLockNeverWriteThroughAPlantedLink) {
    write("victim", "untouched");
    fs::create_symlink(path("victim"), path("q.journal.tmp"));
    fs::create_symlink(path("victim"), path("q.journal"));
    ASSERT_TRUE(files.replace(path("q.journal"), "journal text"));
    EXPECT_EQ(contentOf(path("victim")), "untouched");
    // The link itself was replaced by the program's own private file.
    EXPECT_FALSE(fs::is_symlink(path("q.journal")));
    EXPECT_EQ(contentOf(path("q.journal")), "journal text");
    EXPECT_EQ(fs::status(path("q.journal")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    fs::create_symlink(path("made-by-lock"), path("q.lock"));
    EXPECT_EQ(files.lock(path("q.lock")), nullptr);
    EXPECT_FALSE(fs::exists(path("made-by-lock")));
    EXPECT_NE(files.lock(path("own.lock")), nullptr);
}

} // namespace
