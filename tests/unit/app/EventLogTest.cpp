// The event log: message boxes, pending lines and the exact bytes of the log file.
#include "app/EventLog.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class EventLogTest : public ::testing::Test {
  protected:
    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log{environment, files, desktop};
    const std::string path = log.filePath();
};

TEST_F(EventLogTest, FirstFlushCreatesTheFileWithItsHeaderLaterOnesAppend) {
    log.report(1, LogLevel::Notice, "Invalid parameters");
    EXPECT_TRUE(log.flush());
    EXPECT_EQ(log.pending(), "");
    const std::string first =
        "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n";
    EXPECT_EQ(files.files[path], first);

    EventLog next(environment, files, desktop);
    environment.now = {2024, 3, 6, 0, 0, 1};
    next.report(1, LogLevel::Notice, "Write Failed!");
    next.report(1, LogLevel::Notice, "Open Port Error!");
    next.flush();
    EXPECT_EQ(files.files[path], first + "[2024/03/06-00:00:01]  Write Failed!\r\n"
                                         "[2024/03/06-00:00:01]  Open Port Error!\r\n\r\n");

    // A name from outside cannot add a line of its own to the log.
    next.report(1, LogLevel::Notice, "File Open Error. filename=x.fls\r\nsh evil #");
    EXPECT_EQ(next.pending(),
              "[2024/03/06-00:00:01]  File Open Error. filename=x.fls\\r\\nsh evil #\r\n");

    // Another run creates the log between our append and our create: ours goes after theirs.
    files.files.clear();
    files.createdMeanwhile[path] = "theirs\r\n";
    EXPECT_TRUE(next.flush());
    EXPECT_EQ(files.files[path], "theirs\r\n[2024/03/06-00:00:01]  File Open Error. "
                                 "filename=x.fls\\r\\nsh evil #\r\n\r\n");
}

// A log that cannot be written loses nothing: an existing file is never replaced, its lines go
// to stderr with the reason, and the caller learns that the file was not written.
TEST_F(EventLogTest, AnExistingFileThatCannotBeOpenedIsNeverReplaced) {
    files.addFile(path, "older runs\r\n");
    files.readOnly.insert(path);
    log.report(1, LogLevel::Notice, "Port Open Error. Port=COM1");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(log.flush());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(files.files[path], "older runs\r\n");
    EXPECT_EQ(log.pending(), "");
    // No reason from the system (the fake sets no errno): none is made up or left over.
    EXPECT_EQ(log.lastFlushError(), "reason unknown");
    // The line as the file would have held it, without the CR.
    EXPECT_NE(said.find("mirelith: the log " + path +
                        " cannot be written (reason unknown); "
                        "its lines are:\n[2024/03/05-07:08:09]  Port Open Error. Port=COM1\n"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find('\r'), std::string::npos);

    // A later flush that can write clears the failure.
    files.readOnly.clear();
    log.report(1, LogLevel::Notice, "Write Failed!");
    EXPECT_TRUE(log.flush());
    EXPECT_EQ(log.lastFlushError(), "");
}

} // namespace
