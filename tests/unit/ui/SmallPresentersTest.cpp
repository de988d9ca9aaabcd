#include "ui/ImageButtonFace.h"
#include "ui/SelectPrinterPresenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(SelectPrinter, ListsTheTableInOrderAndMatchesNamesExactly) {
    SelectPrinterPresenter dialog(modelTableChoices());
    EXPECT_THAT(dialog.entries(), ::testing::ElementsAre("T90 Standard", "T90 Prime"));
    // Enter before any selection takes the first entry; after one it keeps the choice.
    const auto chosen = [&] {
        return dialog.chosenModelName + " " + std::to_string(dialog.chosenModelCode);
    };
    dialog.onAcceptedWithoutSelection();
    EXPECT_EQ(chosen(), "T90 Standard 1111");
    dialog.onSelectionChanged("T90 Prime");
    dialog.onAcceptedWithoutSelection();
    EXPECT_EQ(chosen(), "T90 Prime 1112");
    dialog.onSelectionChanged("t90 prime"); // not the exact name: the first code
    EXPECT_EQ(dialog.chosenModelCode, 1111);
}

// The faces are normal, pressed and disabled, as many as were given (-1: none). Disabled wins
// over pressed; without a disabled face a disabled button shows the normal one, greyed.
TEST(ButtonFace, FollowsStateAndImageCount) {
    const Rgb text = rgb(40, 40, 40), grey = rgb(129, 129, 129);
    const struct {
        bool disabled, pressed;
        int32_t images, face;
        Rgb color;
    } rows[] = {
        {false, false, 3, 0, text}, {false, true, 3, 1, text}, {true, false, 3, 2, grey},
        {true, true, 3, 2, grey},   {true, false, 2, 0, grey}, {false, true, 2, 1, text},
        {false, true, 1, 0, text},  {true, false, 1, 0, grey}, {false, false, 0, -1, text},
        {true, false, 0, -1, grey},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        const ButtonFace face = chooseButtonFace(row.disabled, row.pressed, row.images, text, grey);
        EXPECT_TRUE(face.imageIndex == row.face && face.textColor == row.color);
    }
}

} // namespace
