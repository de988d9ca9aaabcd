// A log that cannot be written loses nothing: its lines go to stderr with the reason, and the
// caller learns that the file was not written.
#include "app/EventLog.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(EventLogUnwritable, LinesGoToStderrAndFlushSaysSo) {
    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log(environment, files, desktop);
    const std::string path = log.filePath();
    files.addFile(path, "older runs\r\n");
    files.readOnly[path] = true;

    log.report(1, LogLevel::Notice, "Port Open Error. Port=COM1");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(log.flush());
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(log.lastFlushError().empty());
    EXPECT_NE(said.find("mirelith: the log " + path + " cannot be written ("), std::string::npos);
    // The line as the file would have held it, without the CR.
    EXPECT_NE(said.find("]  Port Open Error. Port=COM1\n"), std::string::npos) << said;
    EXPECT_EQ(said.find('\r'), std::string::npos);
    EXPECT_EQ(files.files[path], "older runs\r\n");

    // A later flush that can write clears the failure.
    files.readOnly.clear();
    log.report(1, LogLevel::Notice, "Write Failed!");
    EXPECT_TRUE(log.flush());
    EXPECT_EQ(log.lastFlushError(), "");
}

} // namespace
