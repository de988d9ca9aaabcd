#pragma once
// A push button drawn from face bitmaps (normal, pressed, disabled) with a text over it. It takes
// over an owner-drawn button of a dialog; the dialog passes WM_DRAWITEM for it to drawItem.
#include "ui/win32/GdiHandles.h"

#include <windows.h>

#include <string>

class ImageButton {
  public:
    ImageButton() = default;
    ~ImageButton();
    ImageButton(const ImageButton&) = delete;
    ImageButton& operator=(const ImageButton&) = delete;

    // Resource ids; 0 for pressed or disabled means that face is missing.
    void setBitmaps(WORD normalId, WORD pressedId, WORD disabledId);
    void setText(const std::string& text) { text_ = text; }
    void setFont(const char* faceName, int height);
    void setTextPosition(int x, int y);
    void setTextColors(COLORREF enabled, COLORREF disabled);
    // Takes over the dialog's control with that id.
    bool attach(HWND dialog, int controlId);
    void drawItem(const DRAWITEMSTRUCT& item);

    HWND hwnd() const { return hwnd_; }
    int imageCount() const;

  private:
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    void detach();
    // Resizes the control to its face, as drawing it does, so that the dialog can lay out its
    // faces before they are first drawn.
    void fitToFace();
    // Narrows the font, keeping its height, when the text drawn at its origin would run into
    // the face's right end cap.
    void fitTextToFace(HDC dc);

    HWND hwnd_ = nullptr;
    BITMAP bitmapInfo{};
    ImageListHandle images;
    bool imagesLoaded = false;
    std::string text_;
    RECT faceRect{};
    COLORREF textColor = RGB(255, 255, 255);
    COLORREF disabledTextColor = RGB(255, 255, 255);
    int textX = -1;
    int textY = -1;
    UINT textFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    GdiObject<HFONT> font;
    std::string fontFace_;
    int fontHeight_ = 0;
    bool textFitted_ = false;
};

// The button configuration all of the program's dialogs use.
void configureStandardButton(ImageButton& button, const std::string& text, int textX, int textY);
