#include "ui/win32/ImageButton.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/ImageButtonFace.h"
#include "ui/win32/DialogSupport.h"

#include <cstring>

namespace {
constexpr UINT_PTR kSubclassId = 0x4D49;
}

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
    LOGFONTA description{};
    description.lfHeight = height;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);
    font.reset(CreateFontIndirectA(&description));
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
    return true;
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
