#pragma once
// How the program's windows look, for every toolkit that draws them: the colours, the image
// button every dialog uses, the main window's buttons and its painted progress bar, and the
// texts the views put up themselves.
#include "ui/ImageButtonFace.h"

#include <algorithm>
#include <cstdint>

// Application-wide dialog colours: white behind dark grey text.
inline constexpr Rgb kDialogBackground = rgb(255, 255, 255);
inline constexpr Rgb kDialogText = rgb(80, 80, 80);
// Frames, the banner's underline and the bar's outline.
inline constexpr Rgb kLineColor = rgb(0, 0, 0);

// Main window: the banner (1011), the help line (1004) and the progress bar's fill.
inline constexpr Rgb kBannerBackground = rgb(238, 239, 206);
inline constexpr Rgb kBannerText = rgb(100, 100, 100);
inline constexpr Rgb kHelpText = rgb(100, 0, 0);
inline constexpr Rgb kProgressFill = rgb(135, 206, 250);
// Port configuration dialog: the radio buttons and the labels without an id.
inline constexpr Rgb kPortDialogLabelText = rgb(100, 0, 0);

// The image button of every dialog: faces 139, 140, 141 (normal, pressed, disabled), text in
// Arial of cell height 15, dark grey, light grey when disabled.
struct ImageButtonLook {
    uint16_t normalFace;
    uint16_t pressedFace;
    uint16_t disabledFace;
    const char* fontFace;
    int32_t fontHeight;
    Rgb textColor;
    Rgb disabledTextColor;
};
inline constexpr ImageButtonLook kStandardButtonLook{
    139, 140, 141, "Arial", 15, rgb(40, 40, 40), rgb(129, 129, 129)};

// Text origin of the buttons of the main window and the configuration dialog, and of the
// completion notice's OK button.
inline constexpr int32_t kButtonTextX = 17;
inline constexpr int32_t kButtonTextY = 3;
inline constexpr int32_t kCompletionButtonTextX = 42;

struct MainWindowButton {
    int32_t controlId;
    const char* text;
};
// Configured and attached in this order.
inline constexpr MainWindowButton kMainWindowButtons[] = {
    {1014, "Configuration"}, {1003, "Select f/w"}, {1002, "Download"}, {1024, "Exit"}};

// The main window's painting, in client pixels: the line under the help text, the progress
// bar's frame and the rows its fill covers (from x = 9 to 9 + progress).
struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
inline constexpr int32_t kBannerLineY = 15;
inline constexpr PixelRect kProgressFrame{8, 200, 278, 210};
inline constexpr int32_t kProgressFillLeft = 9;
inline constexpr int32_t kProgressFillTop = 201;
inline constexpr int32_t kProgressFillBottom = 209;

// The bar has fixed pixel coordinates and the button faces fixed pixel sizes while the window
// is sized in dialog units; with a dialog font whose metrics come out smaller than Arial's
// they would fall outside it. The client size that holds them, given where the faces end
// (right and bottom, exclusive); the window grows to it and never shrinks.
struct ClientSize {
    int32_t width;
    int32_t height;
};
constexpr ClientSize mainWindowClientNeeded(int32_t facesRight, int32_t facesBottom) {
    return {std::max(kProgressFrame.right, facesRight) + kProgressFrame.left,
            std::max(kProgressFrame.bottom, facesBottom) + 4};
}

// Texts of the templates that the views show.
inline constexpr const char* kBannerTemplateText = "  Mirelith V1.0.0";
inline constexpr const char* kHelpTemplateText = "Select File...";
inline constexpr const char* kAboutMenuText = "&About Mirelith...";
inline constexpr const char* kAboutCaption = "About Mirelith";
inline constexpr const char* kAboutVersionText = "Mirelith Version 1.2";
inline constexpr const char* kAboutSecondLine = "Printer firmware downloader";
inline constexpr const char* kSelectPrinterLabel = "Select Printer";
// What the configuration dialog says when its TCP port field holds no whole number.
inline constexpr const char* kIntegerPromptText = "Please enter an integer.";
