// The real file system service on this machine (a temporary directory): the log file is only
// ever appended to or created new, never truncated; probing tells missing from unreadable.
#include "platform/FileSystem.h"
#include "platform/ProcessEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <set>
#ifndef _WIN32
#include <cerrno>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

class SystemFiles : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string contentOf(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir =
        fs::temp_directory_path() / ("mirelith_files_" + std::to_string(std::random_device{}()));
    FileSystem& files = systemFileSystem();
};

TEST_F(SystemFiles, CreateNewNeverReplacesAppendNeverCreatesAndProbingTellsWhy) {
    const std::string log = path("_QEM_NUV.txt");
    EXPECT_FALSE(files.appendToExisting(log, "x"));
    EXPECT_FALSE(fs::exists(log));
    ASSERT_TRUE(files.createNew(log, "head\r\n"));
    EXPECT_FALSE(files.createNew(log, "other"));
    ASSERT_TRUE(files.appendToExisting(log, std::string("a\0b\r\n", 5)));
    EXPECT_EQ(contentOf(log), std::string("head\r\na\0b\r\n", 11));
#ifndef _WIN32
    // The per-user log directory is made when first needed.
    ASSERT_TRUE(files.createNew(path("state/mirelith/_QEM_NUV.txt"), "VORANEX NUV\r\n"));
    EXPECT_EQ(contentOf(path("state/mirelith/_QEM_NUV.txt")), "VORANEX NUV\r\n");
#endif
    // Probing tells readable, missing and failing apart.
    std::ofstream(path("qemnuv.ini"), std::ios::binary) << "[NUV]\n";
    EXPECT_EQ(files.probeReadable(path("qemnuv.ini")).status, ProbeStatus::Readable);
    EXPECT_EQ(files.probeReadable(path("none.ini")).status, ProbeStatus::Missing);
    fs::create_directory(path("dir.ini"));
    const FileProbe directory = files.probeReadable(path("dir.ini"));
    EXPECT_EQ(directory.status, ProbeStatus::Failed);
    EXPECT_NE(directory.systemError, 0);
    auto stream = files.openForReading(path("qemnuv.ini"));
    ASSERT_TRUE(stream);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(*stream), {}), "[NUV]\n");
    EXPECT_EQ(files.openForReading(path("none.ini")), nullptr);
}

TEST_F(SystemFiles, ListingNamesEveryEntryAndCanStop) {
    std::ofstream(path("b.fls")) << "x";
    fs::create_directory(path("folder.fls"));
    std::set<std::string> names;
    files.listDirectory(dir.string(),
                        [&](const std::string& name) { return names.insert(name).second; });
    EXPECT_TRUE(names.count("b.fls") && names.count("folder.fls"));
    int calls = 0;
    files.listDirectory(dir.string(), [&](const std::string&) { return ++calls < 2; });
    files.listDirectory(path("missing"), [&](const std::string&) { return ++calls > 0; });
    EXPECT_EQ(calls, 2);
}

#ifndef _WIN32
// The log is never written into a FIFO, and a log it creates is private; the reason says why
// the lines went to stderr instead. (A link in the log's place is refused: root_trust.sh.)
TEST_F(SystemFiles, TheLogIsNeverWrittenIntoAFifoAndIsPrivate) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    errno = 0;
    EXPECT_FALSE(files.appendToExisting(path("fifo"), "x"));
    EXPECT_EQ(errno, EINVAL);

    ASSERT_TRUE(files.createNew(path("new.txt"), "x"));
    EXPECT_EQ(fs::status(path("new.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// Started in a directory that has since been removed, the INI file and the firmware are still
// looked for there, never in the root directory.
TEST_F(SystemFiles, ARemovedCurrentDirectoryIsStillTheStartDirectory) {
    const fs::path before = fs::current_path();
    fs::create_directory(path("gone"));
    fs::current_path(path("gone"));
    fs::remove(path("gone"));
    const std::string current = systemEnvironment().currentDirectory();
    fs::current_path(before);
    EXPECT_EQ(current, ".");
}
#endif

} // namespace
