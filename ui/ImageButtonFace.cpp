#include "ui/ImageButtonFace.h"

ButtonFace chooseButtonFace(bool disabled, bool pressed, int32_t imageCount, Rgb textColor,
                            Rgb disabledTextColor) {
    if (imageCount <= 0) {
        // Without images the text still follows the state, so a disabled button reads as one.
        return {-1, disabled ? disabledTextColor : textColor};
    }
    // The list holds normal, pressed, disabled in that order, as many as were given: a missing
    // image falls back to the normal face.
    if (disabled) {
        return {imageCount == 3 ? 2 : 0, disabledTextColor};
    }
    if (pressed) {
        return {imageCount >= 2 ? 1 : 0, textColor};
    }
    return {0, textColor};
}
