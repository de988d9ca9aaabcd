// Model table, firmware names and the two directory searches.
#include "app/FirmwareDiscovery.h"
#include "app/FirmwareName.h"
#include "app/ModelFamily.h"
#include "models/ModelTable.h"
#include "support/AppFakes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(ModelTable, OnlyTheExactSecondNameHasItsCodeAndFamilyPrefixesAreCaseSensitive) {
    EXPECT_EQ(modelCodeFor("T90 Prime"), 1112);
    for (const char* other : {"T90 Standard", "T90 prime", "T90 Prime ", "", "KAV-100"}) {
        EXPECT_EQ(modelCodeFor(other), 1111) << other;
    }
    for (const char* name : {"KAV", "KEW-1", "KIX", "KOYx", "KUZ_"}) {
        EXPECT_TRUE(hasFamilyPrefix(name)) << name;
    }
    for (const char* name : {"", "KA", "kav", "Kav-1", "XKAV", "KAX", "readme"}) {
        EXPECT_FALSE(hasFamilyPrefix(name)) << name;
    }
}

// MMDDYY before the extension, years from 2000, pairs read like atoi and normalised like mktime;
// ordered in 64 bits on every build (the Windows one once stopped at 19 January 2038).
TEST(FirmwareName, DatesAreOrderedAndNormalised) {
    EXPECT_EQ(firmwareDate("K_010100.fls"), int64_t{10957} * 86400); // 1 January 2000
    EXPECT_EQ(firmwareDate("K_012038.fls"), int64_t{24856} * 86400); // past 2^31 seconds
    std::optional<int64_t> before = earliestFirmwareDate();
    for (const char* name : {"KAV_120111.fls", "KAV-100_V1.00_031512.fls", "KAV_V1_123137.fls",
                             "KAV_V1_011938.fls", "KAV_V1_012038.fls", "KAV_V1_123199.fls"}) {
        EXPECT_LT(before, firmwareDate(name)) << name;
        before = firmwareDate(name);
    }
    // Month 13 is January of the next year; day 0 the last day of the month before. A name too
    // short for a date is read from its start.
    for (const auto& [odd, same] : {std::pair{"K_130111.fls", "K_010112.fls"},
                                    {"K_030012.fls", "K_022912.fls"},
                                    {"K_1x0112.fls", "K_010112.fls"},
                                    {"K_123299.fls", "K_130199.fls"},
                                    {"0203.fls", "K_0203.f.fls"}}) {
        EXPECT_EQ(firmwareDate(odd), firmwareDate(same)) << odd;
    }
}

class Discovery : public ::testing::Test {
  protected:
    void list(const std::vector<std::string>& names) {
        files = FakeFileSystem{};
        for (const std::string& name : names) {
            files.addEntry("/fw", name);
        }
    }
    StartupSettings settings = inFw();
    FakeFileSystem files;
};

// The only firmware file gives model and file; without exactly one nothing changes.
TEST_F(Discovery, SoleFirmwareGivesModelAndFileOrChangesNothing) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{".", "..", "readme.txt", ".fls", "..fls", "KAV-100_V1.00_031512.fls"},
         "KAV-100/KAV-100_V1.00_031512.fls"},
        {{}, "/given.fls"},
        {{"KAV-1_a_010112.fls", "notes_010112.FLS"}, "/given.fls"},
        {{"readme_KAV.fls"}, "/given.fls"},
        {{"a.fls", "KAV-100_V1.00_031512.fls"}, "/given.fls"}, // a one-letter title counts
        {{"KAV-100.fls"}, "/given.fls"},
        {{"kav-1_a_010112.fls"}, "/given.fls"},
    };
    for (const auto& [names, expected] : rows) {
        list(names);
        settings.modelName.clear();
        settings.firmwareFileName = "given.fls";
        EXPECT_EQ(findSoleFirmware(settings, files), expected != "/given.fls");
        EXPECT_EQ(settings.modelName + "/" + settings.firmwareFileName, expected);
    }
}

// Only ".fls" files of exactly the model with a date count; of two with the same date the
// smaller name wins whatever the listing order.
TEST_F(Discovery, NewestFirmwareOfTheModel) {
    settings.modelName = "KAV-100";
    settings.firmwareFileName = "given.fls"; // a name alone, with no file of the model, is none
    EXPECT_FALSE(findNewestFirmware(settings, files));
    settings.firmwareFileName.clear();
    list({"KAV-100A_031512.fls", "KAV-100.fls", "kav-100_C_051512.fls", "KAV-100_D_031512.txt",
          "KAV-100_nodate.fls"}); // the year 20: not after the earliest date
    EXPECT_FALSE(findNewestFirmware(settings, files));
    EXPECT_EQ(settings.firmwareFileName, "");

    std::vector<std::string> names = {"KAV-100_c_031512.fls", "KAV-100_a_031512.fls",
                                      "KAV-100_b_031512.fls", "KAV-100_B_120111.fls"};
    std::sort(names.begin(), names.end());
    do {
        list(names);
        settings.firmwareFileName.clear();
        ASSERT_TRUE(findNewestFirmware(settings, files));
        EXPECT_EQ(settings.firmwareFileName, "KAV-100_a_031512.fls");
    } while (std::next_permutation(names.begin(), names.end()));
    list({"KAV-100_a_031512.fls"}); // one is enough
    settings.firmwareFileName.clear();
    EXPECT_TRUE(findNewestFirmware(settings, files));
}

} // namespace
