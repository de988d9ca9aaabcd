#include "ui/ImageButtonFace.h"
#include "ui/SelectPrinterPresenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

SelectPrinterPresenter t90Models() {
    return SelectPrinterPresenter(modelTableChoices());
}

TEST(SelectPrinter, ListsModelsInTableOrderAndMatchesNamesExactly) {
    SelectPrinterPresenter dialog = t90Models();
    EXPECT_THAT(dialog.entries(), ::testing::ElementsAre("T90 Standard", "T90 Prime"));
    dialog.onSelectionChanged("T90 Prime");
    EXPECT_EQ(dialog.chosenModelName, "T90 Prime");
    EXPECT_EQ(dialog.chosenModelCode, 1112);
    // Anything but the exact name gets the first code.
    for (const char* name : {"T90 Standard", "t90 prime", "T90 Prime "}) {
        dialog.onSelectionChanged(name);
        EXPECT_EQ(dialog.chosenModelCode, 1111) << name;
    }
}

TEST(SelectPrinter, EnterWithoutSelectionChoosesTheFirstEntry) {
    SelectPrinterPresenter dialog = t90Models();
    dialog.onAcceptedWithoutSelection();
    EXPECT_EQ(dialog.chosenModelName, "T90 Standard");
    EXPECT_EQ(dialog.chosenModelCode, 1111);
}

constexpr Rgb kText = rgb(40, 40, 40);
constexpr Rgb kDisabled = rgb(129, 129, 129);

struct FaceRow {
    bool disabled, pressed;
    int32_t images;
    int32_t expectedImage;
    Rgb expectedColor;
};

class ButtonFaceChoice : public ::testing::TestWithParam<FaceRow> {};

TEST_P(ButtonFaceChoice, FollowsStateAndImageCount) {
    const FaceRow& row = GetParam();
    const ButtonFace face =
        chooseButtonFace(row.disabled, row.pressed, row.images, kText, kDisabled);
    EXPECT_EQ(face.imageIndex, row.expectedImage);
    EXPECT_EQ(face.textColor, row.expectedColor);
}

INSTANTIATE_TEST_SUITE_P(
    States, ButtonFaceChoice,
    ::testing::Values(FaceRow{false, false, 3, 0, kText}, FaceRow{false, true, 3, 1, kText},
                      FaceRow{true, false, 3, 2, kDisabled},
                      // Disabled wins over pressed.
                      FaceRow{true, true, 3, 2, kDisabled},
                      // No disabled face: the normal face in the disabled colour.
                      FaceRow{true, false, 2, 0, kDisabled}, FaceRow{false, true, 2, 1, kText},
                      FaceRow{false, true, 1, 0, kText}, FaceRow{true, false, 1, 0, kDisabled},
                      FaceRow{false, false, 0, -1, kText}, FaceRow{true, false, 0, -1, kDisabled}));

} // namespace
