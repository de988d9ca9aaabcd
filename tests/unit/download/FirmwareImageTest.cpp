#include "download/FirmwareImage.h"

#include "support/EngineFiles.h"

#include <gtest/gtest.h>

// A file of no bytes would be "downloaded" with success while the printer received nothing.
TEST(FirmwareImage, AnEmptyFileIsRefused) {
    enginefakes::ScratchDir dir;
    FirmwareImage image;
    EXPECT_EQ(image.load(dir.file("empty.fls", {})), FirmwareImage::LoadResult::Empty);
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.load(dir.file("one.fls", {0x42})), FirmwareImage::LoadResult::Loaded);
    EXPECT_EQ(image.length(), 1);
}
