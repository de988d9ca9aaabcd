#pragma once
// How an owner-drawn bitmap button looks in a given state: which of its face images it shows
// and in which colour its text is drawn.
#include <cstdint>

// A colour as 0x00BBGGRR, the layout of the Windows COLORREF.
using Rgb = uint32_t;
constexpr Rgb rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Rgb>(r) | (static_cast<Rgb>(g) << 8) | (static_cast<Rgb>(b) << 16);
}

struct ButtonFace {
    int32_t imageIndex; // -1: no image is drawn
    Rgb textColor;
};

// imageCount is the number of images the button holds (0 when its bitmaps did not load).
ButtonFace chooseButtonFace(bool disabled, bool pressed, int32_t imageCount, Rgb textColor,
                            Rgb disabledTextColor);

// Text is drawn at (textX, textY) unless either is -1; then it is centred in the face.
constexpr bool textAtOrigin(int32_t textX, int32_t textY) {
    return textX != -1 && textY != -1;
}
