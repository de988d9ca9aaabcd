#include "ui/win32/ImageButton.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/ImageButtonFace.h"
#include "ui/win32/DialogSupport.h"

#include <cstring>
#include <utility>

namespace {
constexpr UINT_PTR kSubclassId = 0x4D49;
// The face pictures end in caps 11 pixels wide; text kept this far from the right cap still
// reads as lying on the bar.
constexpr int kFaceEndWidth = 11;
constexpr int kTextClearance = 2;

int textWidth(HDC dc, HFONT font, const std::string& text) {
    SelectedObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

HFONT createFont(const std::string& faceName, int height, int width) {
    LOGFONTA description{};
    description.lfHeight = height;
    description.lfWidth = width;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(description.lfFaceName, faceName.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectA(&description);
}
} // namespace

ImageButton::~ImageButton() {
    detach();
}

void ImageButton::setBitmaps(WORD normalId, WORD pressedId, WORD disabledId) {
    if (imagesLoaded) {
        images.reset();
        imagesLoaded = false;
    }
    GdiObject<HBITMAP> normal(LoadBitmapA(resourceModule(), MAKEINTRESOURCEA(normalId)));
    if (!normal) {
        return;
    }
    GetObjectA(normal.get(), sizeof bitmapInfo, &bitmapInfo);
    faceRect = RECT{0, 0, bitmapInfo.bmWidth, bitmapInfo.bmHeight};
    images.reset(ImageList_Create(bitmapInfo.bmWidth, bitmapInfo.bmHeight, ILC_COLORDDB, 1, 2));
    if (!images) {
        return;
    }
    ImageList_Add(images.get(), normal.get(), nullptr);
    for (WORD id : {pressedId, disabledId}) {
        if (id == 0) {
            continue;
        }
        GdiObject<HBITMAP> face(LoadBitmapA(resourceModule(), MAKEINTRESOURCEA(id)));
        if (face) {
            ImageList_Add(images.get(), face.get(), nullptr);
        }
    }
    imagesLoaded = true;
}

void ImageButton::setFont(const char* faceName, int height) {
    fontFace_ = std::string(faceName).substr(0, LF_FACESIZE - 1);
    fontHeight_ = height;
    textFitted_ = false;
    font.reset(createFont(fontFace_, height, 0));
}

void ImageButton::fitTextToFace(HDC dc) {
    if (textFitted_ || !font || text_.empty() || !textAtOrigin(textX, textY) ||
        bitmapInfo.bmWidth <= 0) {
        return;
    }
    textFitted_ = true;
    const int room = bitmapInfo.bmWidth - kFaceEndWidth - kTextClearance - textX;
    int width = textWidth(dc, font.get(), text_);
    if (room <= 0 || width <= room) {
        return;
    }
    // A substitute for the face may be wider than the face the buttons were drawn for:
    // condense the characters (a smaller average width at the same height) until the text fits.
    TEXTMETRICA metrics{};
    {
        SelectedObject selected(dc, font.get());
        GetTextMetricsA(dc, &metrics);
    }
    for (int average = metrics.tmAveCharWidth * room / width; average > 0; --average) {
        GdiObject<HFONT> narrower(createFont(fontFace_, fontHeight_, average));
        if (!narrower) {
            return;
        }
        width = textWidth(dc, narrower.get(), text_);
        font = std::move(narrower);
        if (width <= room) {
            return;
        }
    }
}

void ImageButton::setTextPosition(int x, int y) {
    textX = x;
    textY = y;
}

void ImageButton::setTextColors(COLORREF enabled, COLORREF disabled) {
    textColor = enabled;
    disabledTextColor = disabled;
}

bool ImageButton::attach(HWND dialog, int controlId) {
    detach();
    HWND control = GetDlgItem(dialog, controlId);
    if (control == nullptr) {
        return false;
    }
    if (!SetWindowSubclass(control, &ImageButton::subclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    hwnd_ = control;
    fitToFace();
    return true;
}

void ImageButton::fitToFace() {
    if (hwnd_ != nullptr && bitmapInfo.bmWidth > 0 && bitmapInfo.bmHeight > 0) {
        SetWindowPos(hwnd_, nullptr, 0, 0, bitmapInfo.bmWidth, bitmapInfo.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void ImageButton::detach() {
    if (hwnd_ != nullptr) {
        RemoveWindowSubclass(hwnd_, &ImageButton::subclassProc, kSubclassId);
        hwnd_ = nullptr;
    }
}

int ImageButton::imageCount() const {
    return images ? ImageList_GetImageCount(images.get()) : 0;
}

void ImageButton::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) {
        return;
    }
    const int count = imageCount();
    RECT face = faceRect;
    if (bitmapInfo.bmWidth > 0 && bitmapInfo.bmHeight > 0) {
        // The face decides the size, whatever the template said.
        SetWindowPos(item.hwndItem, HWND_TOP, 0, 0, bitmapInfo.bmWidth, bitmapInfo.bmHeight,
                     SWP_NOMOVE | SWP_NOACTIVATE);
    } else {
        // Without a face bitmap the button keeps its own size and shows frame and text.
        face = item.rcItem;
    }
    HDC dc = item.hDC;
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);

    const ButtonFace choice =
        chooseButtonFace((item.itemState & ODS_DISABLED) != 0, (item.itemState & ODS_SELECTED) != 0,
                         imagesLoaded ? count : 0, textColor, disabledTextColor);
    if (imagesLoaded && choice.imageIndex >= 0) {
        ImageList_DrawEx(images.get(), choice.imageIndex, dc, face.left, face.top,
                         face.right - face.left, face.bottom - face.top, CLR_DEFAULT, CLR_DEFAULT,
                         ILD_NORMAL);
    }
    if (!text_.empty()) {
        fitTextToFace(dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, choice.textColor);
        HGDIOBJ previous = font ? SelectObject(dc, font.get()) : nullptr;
        if (textAtOrigin(textX, textY)) {
            TextOutA(dc, textX, textY, text_.c_str(), static_cast<int>(text_.size()));
        } else {
            DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &face, textFormat);
        }
        if (previous != nullptr) {
            SelectObject(dc, previous);
        }
    }
    // No focus rectangle: a focused button looks like any other.
}

LRESULT CALLBACK ImageButton::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ImageButton*>(data);
    switch (message) {
    case WM_SETFOCUS:
    case WM_ENABLE: {
        // Redraw the whole face at once, background included, in its new state.
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &ImageButton::subclassProc, kSubclassId);
        if (self->hwnd_ == hwnd) {
            self->hwnd_ = nullptr;
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    default:
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

void configureStandardButton(ImageButton& button, const std::string& text, int textX, int textY) {
    const ImageButtonLook& look = kStandardButtonLook;
    button.setBitmaps(look.normalFace, look.pressedFace, look.disabledFace);
    button.setText(text);
    button.setFont(look.fontFace, look.fontHeight);
    button.setTextPosition(textX, textY);
    button.setTextColors(look.textColor, look.disabledTextColor);
}
