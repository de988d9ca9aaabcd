// The result file: a digest that matches the standard's vectors across block boundaries, every
// key present in the agreed order whatever is unknown, and a file that is replaced whole.
#include "app/RunResult.h"
#include "app/Sha256.h"
#include "support/AppFakes.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string sha256Of(const std::string& text, size_t piece) {
    Sha256 sha;
    for (size_t at = 0; at < text.size(); at += piece) {
        sha.update(text.data() + at, std::min(piece, text.size() - at));
    }
    return sha.finishHex();
}

// The standard's vectors, fed in pieces across block boundaries (56 bytes: the length no
// longer fits the block, so padding takes a second one). A file is hashed piece by piece; a run
// interrupted while a large image is hashed ends at once, with the size but no digest.
TEST(RunResult, Sha256MatchesTheStandardVectorsAndAFileDigestStopsWhenAsked) {
    EXPECT_EQ(sha256Of("abc", 1),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 7),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    FakeFileSystem files;
    files.addFile("fw.fls", std::string(1'000'000, 'a'));
    EXPECT_EQ(digestFile(files, "fw.fls", [] { return false; }).value().sha256,
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    int chunks = 0;
    const auto stopped = digestFile(files, "fw.fls", [&] { return ++chunks > 2; });
    EXPECT_TRUE(stopped.value().size == 1'000'000 && stopped.value().sha256.empty());
    EXPECT_EQ(chunks, 3); // asked before each piece, not after the whole file
}

// Every key, in order, null where unknown; text that is not UTF-8 (an ANSI name from a Windows
// directory) is written with a replacement character, not refused.
TEST(RunResult, JsonHasEveryKeyInOrderWithNullsForTheUnknown) {
    RunResult r;
    r.outcome = RunOutcome::Invalid;
    r.exitStatus = 1;
    r.file = "fw\xe9.fls";
    const auto json = nlohmann::ordered_json::parse(toJson(r));
    std::string keys;
    for (const auto& item : json.items()) {
        keys += item.key() + " ";
    }
    EXPECT_EQ(keys, "outcome exit_status log_line log_file reason warnings model model_code port "
                    "device file file_size sha256 bytes_sent started duration_ms version "
                    "printer_version_before printer_version_after verified ");
    // Warnings are a list, empty when nothing was guessed.
    const std::string dumped = json.dump();
    EXPECT_EQ(dumped.substr(0, dumped.find("\"model\"")),
              "{\"outcome\":\"invalid\",\"exit_status\":1,\"log_line\":null,\"log_file\":null,"
              "\"reason\":null,\"warnings\":[],");
    EXPECT_TRUE(json["verified"].is_null() && json["model"].is_null() && json["sha256"].is_null());
    EXPECT_EQ(json["file"], "fw\xef\xbf\xbd.fls");
    r.outcome = RunOutcome::Unverified;
    r.verified = false;
    const auto unverified = nlohmann::ordered_json::parse(toJson(r));
    EXPECT_EQ(unverified["outcome"].dump() + unverified["verified"].dump(), "\"unverified\"false");
}

TEST(RunResult, LastLogLineLosesItsTimestampAndTimesAreIso8601) {
    EXPECT_EQ(lastLogLineText("[2026/12/07-02:40:00]  Port Open Error. Port=COM1\r\n"
                              "[2026/12/07-02:40:01]  Write Failed!\r\n"),
              "Write Failed!");
    EXPECT_EQ(lastLogLineText("\r\n"), std::nullopt);
    EXPECT_EQ(isoUtc(std::chrono::system_clock::time_point(std::chrono::seconds(1796610000))),
              "2026-12-07T02:20:00Z");
}

TEST(RunResult, FileIsReplacedWholeOrNotAtAll) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("mirelith-result-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::string path = (dir / "r.json").string();
    std::ofstream(path) << "old";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, "{\"outcome\": \"sent\"}\n", error)) << error;
    std::stringstream content;
    content << std::ifstream(path).rdbuf();
    EXPECT_EQ(content.str(), "{\"outcome\": \"sent\"}\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_FALSE(writeFileAtomically((dir / "missing" / "r.json").string(), "x", error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    // A directory in the result file's place is not replaced, and its temporary file goes.
    fs::create_directory(dir / "taken");
    EXPECT_FALSE(writeFileAtomically((dir / "taken").string(), "x", error));
    EXPECT_EQ(error.rfind("cannot replace " + (dir / "taken").string(), 0), 0u) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    fs::remove_all(dir);
}

} // namespace
