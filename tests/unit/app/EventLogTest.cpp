// The event log: message boxes, pending lines and the exact bytes of the log file.
#include "app/EventLog.h"
#include "platform/ProcessEnvironment.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class EventLogTest : public ::testing::Test {
  protected:
    std::string logPath() const {
        return "/opt/mirelith" + std::string(1, pathSeparator()) + "_QEM_NUV.txt";
    }

    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log{environment, files, desktop};
};

TEST_F(EventLogTest, FirstFlushCreatesTheFileWithItsHeaderLaterOnesAppend) {
    log.report(1, LogLevel::Notice, "Invalid parameters");
    log.flush();
    EXPECT_EQ(log.pending(), "");
    const std::string first =
        "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n";
    EXPECT_EQ(files.files[logPath()], first);

    EventLog next(environment, files, desktop);
    environment.now = {2024, 3, 6, 0, 0, 1};
    next.report(1, LogLevel::Notice, "Write Failed!");
    next.report(1, LogLevel::Notice, "Open Port Error!");
    next.flush();
    EXPECT_EQ(files.files[logPath()], first + "[2024/03/06-00:00:01]  Write Failed!\r\n"
                                              "[2024/03/06-00:00:01]  Open Port Error!\r\n\r\n");
}

TEST_F(EventLogTest, AnExistingFileThatCannotBeOpenedIsNeverReplaced) {
    files.addFile(logPath(), "older runs\r\n");
    files.readOnly[logPath()] = true;
    log.report(1, LogLevel::Notice, "lost");
    log.flush();
    EXPECT_EQ(files.files[logPath()], "older runs\r\n");
    EXPECT_EQ(log.pending(), ""); // the lines are dropped, as when the file cannot be written
    // No reason from the system (the fake sets no errno): none is made up or left over.
    EXPECT_EQ(log.lastFlushError(), "reason unknown");
}

} // namespace
