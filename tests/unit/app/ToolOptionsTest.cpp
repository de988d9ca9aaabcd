// The program's own options are taken out wherever start-up would skip them, and nowhere else:
// every other word reaches start-up where it stood.
#include "app/ToolOptions.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

ToolOptions take(Words words, ToolOptionSet known = ToolOptionSet::All) {
    words.insert(words.begin(), "mirelith");
    return takeToolOptions(words, known);
}

Words kept(const ToolOptions& options) {
    return Words(options.arguments.begin() + 1, options.arguments.end());
}

TEST(ToolOptions, OursAreTakenWhereStartUpSkipsWords) {
    const ToolOptions o = take({"-q", "-s", "-p", "NET", "10.0.0.9", "--result", "r.json", "-m",
                                "T90 Prime", "--version", "-f", "fw.fls", "-h", "--list"});
    EXPECT_EQ(kept(o), (Words{"-s", "-p", "NET", "10.0.0.9", "-m", "T90 Prime", "-f", "fw.fls"}));
    EXPECT_TRUE(o.quiet && o.version && o.help && o.list);
    EXPECT_EQ(o.resultPath, "r.json");

    EXPECT_TRUE(take({"--help"}).help);
    EXPECT_TRUE(take({"anything", "-h"}).help); // an interactive command line reads no values
    const ToolOptions joined = take({"-s", "--result=out/r.json", "-q"}); // one word, no value
    EXPECT_TRUE(joined.resultPath == "out/r.json" && joined.quiet);
    // A program started without even its own name has nothing to take.
    EXPECT_TRUE(takeToolOptions({}, ToolOptionSet::All).arguments.empty());
    // The Windows set takes only --result.
    const ToolOptions windows =
        take({"-q", "-s", "--help", "--result", "r.json", "-q"}, ToolOptionSet::ResultOnly);
    EXPECT_EQ(kept(windows), (Words{"-q", "-s", "--help", "-q"}));
    EXPECT_TRUE(windows.resultPath == "r.json" && !windows.help && !windows.quiet);
}

TEST(ToolOptions, OptionValuesKeepTheirMeaning) {
    // Each of these words is the value of a start-up option, so it stays.
    const std::vector<Words> lines = {
        {"-s", "-m", "--help"},           {"-s", "-f", "-q"},
        {"-s", "-p", "NET", "-q"},        {"-s", "-p", "net", "--list", "-tcpport", "1"},
        {"-s", "-p", "COM1", "-b", "-h"}, {"-s", "-p", "NET", "1.2.3.4", "-tcpport", "--version"},
    };
    for (const Words& line : lines) {
        const ToolOptions o = take(line);
        EXPECT_EQ(kept(o), line) << ::testing::PrintToString(line);
        EXPECT_FALSE(o.help || o.version || o.list || o.quiet);
    }
    // A COM value is one word: the next one is an option position again.
    EXPECT_TRUE(take({"-s", "-p", "COM1", "-q"}).quiet);
}

TEST(ToolOptions, ResultWithoutAFileStaysAsStartUpReadsIt) {
    for (const Words& line : {Words{"-s", "-m", "X", "--result"},
                              Words{"-s", "--result", "-p", "COM1"}, Words{"-s", "--result="}}) {
        const ToolOptions o = take(line);
        EXPECT_EQ(kept(o), line);
        EXPECT_TRUE(o.resultWithoutFile);
        EXPECT_FALSE(o.resultPath);
    }
    // In front of "-s" it makes the command line interactive, as it always did.
    EXPECT_EQ(kept(take({"--result", "-s", "-p", "COM1"})),
              (Words{"--result", "-s", "-p", "COM1"}));
}

} // namespace

TEST(ToolOptions, IdentifyAndVerifyAreTakenWithTheirValues) {
    const ToolOptions o = take({"--identify", "-p", "NET", "10.0.0.9", "-tcpport", "9101"});
    EXPECT_TRUE(o.identify);
    EXPECT_EQ(kept(o), (Words{"-p", "NET", "10.0.0.9", "-tcpport", "9101"}));

    const ToolOptions v = take(
        {"-s", "-p", "COM1", "--expect-version", "2.00", "--verify-timeout", "60", "-m", "KAV"});
    EXPECT_TRUE(v.verify); // an expected version is only worth anything when checked
    EXPECT_EQ(v.expectVersion, "2.00");
    EXPECT_EQ(v.verifyTimeoutSeconds, 60u);
    EXPECT_EQ(kept(v), (Words{"-s", "-p", "COM1", "-m", "KAV"}));
    EXPECT_EQ(v.error, "");

    for (const char* bad : {"abc", "0", "86401", "-5", "", "4294967297"}) { // no wrap to 1
        const ToolOptions b = take({"-s", "--verify", "--verify-timeout", bad});
        EXPECT_EQ(b.error, std::string("--verify-timeout ") + bad +
                               ": not a number of seconds (1 to 86400)");
    }
    EXPECT_EQ(take({"-s", "--expect-version"}).error, "--expect-version needs a value");
}
