// The real file system service on this machine (a temporary directory): the log file is only
// ever appended to or created new, never truncated; probing tells missing from unreadable.
#include "platform/FileSystem.h"
#include "platform/ProcessEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

class SystemFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("mirelith_files_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string contentOf(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir;
    FileSystem& files = systemFileSystem();
};

TEST_F(SystemFiles, CreateNewNeverReplacesAndAppendNeverCreates) {
    const std::string log = path("_QEM_NUV.txt");
    EXPECT_FALSE(files.appendToExisting(log, "x"));
    EXPECT_FALSE(fs::exists(log));
    ASSERT_TRUE(files.createNew(log, "head\r\n"));
    EXPECT_FALSE(files.createNew(log, "other"));
    ASSERT_TRUE(files.appendToExisting(log, std::string("a\0b\r\n", 5)));
    EXPECT_EQ(contentOf(log), std::string("head\r\na\0b\r\n", 11));
}

TEST_F(SystemFiles, ProbeTellsReadableMissingAndFailing) {
    const std::string file = path("qemnuv.ini");
    std::ofstream(file, std::ios::binary) << "[NUV]\n";
    EXPECT_EQ(files.probeReadable(file).status, ProbeStatus::Readable);
    EXPECT_EQ(files.probeReadable(path("none.ini")).status, ProbeStatus::Missing);
    fs::create_directory(path("dir.ini"));
    const FileProbe directory = files.probeReadable(path("dir.ini"));
    EXPECT_EQ(directory.status, ProbeStatus::Failed);
    EXPECT_NE(directory.systemError, 0);
    auto stream = files.openForReading(file);
    ASSERT_TRUE(stream);
    std::string line;
    std::getline(*stream, line);
    EXPECT_EQ(line, "[NUV]");
    EXPECT_EQ(files.openForReading(path("none.ini")), nullptr);
}

TEST_F(SystemFiles, ListingNamesEveryEntryAndCanStop) {
    for (const char* name : {"b.fls", "A.FLS", "note.txt"}) {
        std::ofstream(path(name)) << "x";
    }
    fs::create_directory(path("folder.fls"));
    std::vector<std::string> names;
    files.listDirectory(dir.string(), [&](const std::string& name) {
        names.push_back(name);
        return true;
    });
    for (const char* name : {"b.fls", "A.FLS", "note.txt", "folder.fls"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
    int calls = 0;
    files.listDirectory(dir.string(), [&](const std::string&) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
    files.listDirectory(path("missing"), [&](const std::string&) { return ++calls > 0; });
    EXPECT_EQ(calls, 2);
}

#ifndef _WIN32
TEST_F(SystemFiles, ThePerUserLogDirectoryIsMadeWhenFirstNeeded) {
    const std::string log = path("state/mirelith/_QEM_NUV.txt");
    ASSERT_TRUE(files.createNew(log, "VORANEX NUV\r\n\r\n"));
    EXPECT_EQ(contentOf(log), "VORANEX NUV\r\n\r\n");
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
