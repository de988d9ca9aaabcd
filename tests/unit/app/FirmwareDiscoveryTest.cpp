// Model table, firmware names and the two directory searches.
#include "app/FirmwareDiscovery.h"
#include "app/FirmwareName.h"
#include "app/ModelTable.h"
#include "support/AppFakes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(ModelTable, OnlyTheExactNameOfTheSecondEntryGivesItsCode) {
    EXPECT_EQ(modelCodeFor("T90 Prime"), 1112);
    EXPECT_EQ(modelCodeFor("T90 Standard"), 1111);
    EXPECT_EQ(modelCodeFor("T90 prime"), 1111);
    EXPECT_EQ(modelCodeFor("T90 Prime "), 1111);
    EXPECT_EQ(modelCodeFor(""), 1111);
    EXPECT_EQ(modelCodeFor("KAV-100"), 1111);
}

TEST(ModelTable, FamilyPrefixesAreCaseSensitive) {
    for (const char* name : {"KAV", "KEW-1", "KIX", "KOYx", "KUZ_"}) {
        EXPECT_TRUE(hasFamilyPrefix(name)) << name;
    }
    for (const char* name : {"", "KA", "kav", "Kav-1", "XKAV", "KAX", "readme"}) {
        EXPECT_FALSE(hasFamilyPrefix(name)) << name;
    }
}

TEST(FirmwareName, ExtensionAndTitleRules) {
    EXPECT_EQ(firmwareModelPart("KAV-100.fls"), "");
    EXPECT_EQ(fileTitle("a.b.fls"), "a.b");
    EXPECT_TRUE(hasFirmwareExtension("x.FlS"));
    EXPECT_FALSE(hasFirmwareExtension("x.flsx") || hasFirmwareExtension("fls"));
}

TEST(FirmwareName, DatesAreOrderedAndNormalised) {
    const auto march15 = firmwareDate("KAV-100_V1.00_031512.fls");
    const auto dec1 = firmwareDate("KAV_120111.fls");
    ASSERT_TRUE(march15 && dec1);
    EXPECT_GT(*march15, *dec1);
    // Month 13 of 2011 is January 2012; day 0 is the last day of the month before.
    EXPECT_EQ(firmwareDate("K_130111.fls"), firmwareDate("K_010112.fls"));
    EXPECT_EQ(firmwareDate("K_030012.fls"), firmwareDate("K_022912.fls"));
    // Pairs are read like atoi: "1x" is 1.
    EXPECT_EQ(firmwareDate("K_1x0112.fls"), firmwareDate("K_010112.fls"));
    // Short names use what there is; none of this may fail loudly.
    for (const char* odd : {"", "a", ".fls", "x.fls", "ab-cd-.fls", "\xff\xfe\xfd\xfc\xfb\xfa"}) {
        (void)firmwareDate(odd);
    }
    EXPECT_LT(*earliestFirmwareDate(), *dec1);
}

class Discovery : public ::testing::Test {
  protected:
    void add(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            files.addEntry("/fw", name);
        }
    }
    StartupSettings settings = inFw();
    FakeFileSystem files;
};

TEST_F(Discovery, SoleFirmwareGivesModelAndFile) {
    add({".", "..", "readme.txt", "KAV-100_V1.00_031512.fls"});
    ASSERT_TRUE(findSoleFirmware(settings, files));
    EXPECT_EQ(settings.modelName, "KAV-100");
    EXPECT_EQ(settings.firmwareFileName, "KAV-100_V1.00_031512.fls");
}

TEST_F(Discovery, SoleFirmwareFailsWithoutChangingAnything) {
    for (const auto& names :
         std::vector<std::vector<const char*>>{{},
                                               {"KAV-1_a_010112.fls", "notes_010112.FLS"},
                                               {"readme_KAV.fls"},
                                               {"KAV-100.fls"},
                                               {"kav-1_a_010112.fls"}}) {
        FakeFileSystem fresh;
        files = fresh;
        for (const char* name : names) {
            files.addEntry("/fw", name);
        }
        settings.firmwareFileName = "given.fls";
        EXPECT_FALSE(findSoleFirmware(settings, files));
        EXPECT_EQ(settings.modelName, "");
        EXPECT_EQ(settings.firmwareFileName, "given.fls");
    }
}

TEST_F(Discovery, SoleFirmwareStopsListingAtTheSecondFile) {
    for (int i = 0; i < 3; ++i) {
        files.addEntry("/fw", "KAV_" + std::to_string(i) + ".fls");
    }
    EXPECT_FALSE(findSoleFirmware(settings, files));
    EXPECT_EQ(files.entries_delivered, 2);
}

TEST_F(Discovery, EntriesWithEmptyOrDotTitlesAreNotCounted) {
    add({".fls", "..fls", "KOY_a_010112.fls"});
    ASSERT_TRUE(findSoleFirmware(settings, files));
    EXPECT_EQ(settings.firmwareFileName, "KOY_a_010112.fls");
}

TEST_F(Discovery, NewestFirmwareOfTheModel) {
    add({"KAV-100_B_120111.fls", "KAV-100_A_031512.fls", "KAV-100A_041512.fls", "KAV-100.fls",
         "kav-100_C_051512.fls", "KAV-100_D_031512.txt"});
    settings.modelName = "KAV-100";
    ASSERT_TRUE(findNewestFirmware(settings, files));
    EXPECT_EQ(settings.firmwareFileName, "KAV-100_A_031512.fls");
}

TEST_F(Discovery, EqualDatesResolveToTheSmallestNameWhateverTheListingOrder) {
    std::vector<std::string> names = {"KAV_c_031512.fls", "KAV_a_031512.fls", "KAV_b_031512.fls"};
    std::sort(names.begin(), names.end());
    do {
        files = FakeFileSystem{};
        for (const auto& name : names) {
            files.addEntry("/fw", name);
        }
        settings.firmwareFileName.clear();
        settings.modelName = "KAV";
        ASSERT_TRUE(findNewestFirmware(settings, files));
        EXPECT_EQ(settings.firmwareFileName, "KAV_a_031512.fls");
    } while (std::next_permutation(names.begin(), names.end()));
}

TEST_F(Discovery, NewestFirmwareFailsWithoutAUsableCandidate) {
    settings.modelName = "KAV-100";
    EXPECT_FALSE(findNewestFirmware(settings, files));
    add({"KAV-100A_031512.fls", "KAV-100.fls", "KAV-100_nodate.fls"});
    EXPECT_FALSE(findNewestFirmware(settings, files));
    EXPECT_EQ(settings.firmwareFileName, "");
}

} // namespace
