// The portable rules behind what the program believes and what it writes: which state files it
// reads, and how outside text is kept to one line.
#include "platform/StateFiles.h"
#include "platform/TextEscape.h"

#include <gtest/gtest.h>

namespace {

TEST(StateFileRefusal, OnlyASmallPrivateRegularFileOfThisUserIsBelieved) {
    constexpr uint64_t limit = 64 * 1024;
    const StateFileFacts plain{false, true, true, false, 300};
    EXPECT_EQ(stateFileRefusal(plain, limit), "");
    EXPECT_EQ(stateFileRefusal({false, true, true, false, limit}, limit), "");

    const std::pair<StateFileFacts, const char*> refused[] = {
        {{true, false, false, true, 0}, "a symbolic link, not followed"},
        {{false, false, true, false, 0}, "not a regular file"},
        {{false, true, false, false, 300}, "owned by another user"},
        {{false, true, true, true, 300}, "writable by other users"},
        {{false, true, true, false, limit + 1}, "larger than 65536 bytes"},
        {{false, true, true, false, uint64_t(8) << 30}, "larger than 65536 bytes"},
    };
    for (const auto& [facts, why] : refused)
        EXPECT_EQ(stateFileRefusal(facts, limit), why);
}

TEST(EscapeForLine, ControlCharactersBecomeVisibleAndNothingElseChanges) {
    EXPECT_EQ(escapeForLine("_QEM_NUV.queues.x\nsh \"$(id)\" #.journal"),
              "_QEM_NUV.queues.x\\nsh \"$(id)\" #.journal");
    EXPECT_EQ(escapeForLine("a\rb\tc"), "a\\rb\\tc");
    EXPECT_EQ(escapeForLine(std::string("\x1b[2J\x7f\0z", 7)), "\\x1B[2J\\x7F\\x00z");
    // Windows paths, UTF-8 names and the printable rest are kept as they are.
    EXPECT_EQ(escapeForLine("\\\\.\\COM12 T90 Prime Büro ~"), "\\\\.\\COM12 T90 Prime Büro ~");
    EXPECT_EQ(escapeForLine(""), "");
}

} // namespace
