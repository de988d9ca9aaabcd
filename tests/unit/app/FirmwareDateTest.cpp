#include "app/FirmwareName.h"

#include <gtest/gtest.h>

// Both builds order firmware dates in 64 bits: the Windows one once stopped at 19 January 2038.
TEST(FirmwareDate, DatesFrom2038OnAreOrderedLikeAnyOther) {
    EXPECT_EQ(firmwareDate("K_010100.fls"), int64_t{10957} * 86400); // 1 January 2000
    EXPECT_EQ(firmwareDate("K_012038.fls"), int64_t{24856} * 86400); // past 2^31 seconds
    EXPECT_LT(firmwareDate("KAV_V1_011938.fls"), firmwareDate("KAV_V1_012038.fls"));
    EXPECT_LT(firmwareDate("KAV_V1_123137.fls"), firmwareDate("KAV_V1_123199.fls"));
    EXPECT_GT(firmwareDate("KAV_V1_010199.fls"), earliestFirmwareDate());
    // Rolled over like mktime: the 32nd of December 2099 is New Year's Day 2100.
    EXPECT_EQ(firmwareDate("K_123299.fls"), firmwareDate("K_130199.fls"));
}
