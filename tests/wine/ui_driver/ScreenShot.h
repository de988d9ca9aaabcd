#pragma once
// What is on the screen inside a rectangle, read back from the display as the user sees it
// (other windows on top included), pixel by pixel.
#include <windows.h>

#include <cstdint>
#include <vector>

class ScreenShot {
  public:
    // screenRect in screen coordinates.
    explicit ScreenShot(const RECT& screenRect);
    // The client area of a window.
    static ScreenShot ofClientArea(HWND window);

    int width() const { return width_; }
    int height() const { return height_; }
    bool valid() const { return !pixels_.empty(); }
    // Colour at (x, y) relative to the rectangle's top left corner.
    COLORREF at(int x, int y) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_; // 0x00RRGGBB, rows top down
};

// A bitmap resource of another module, as pixels top down (0x00RRGGBB); empty when it cannot
// be loaded.
struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    COLORREF at(int x, int y) const;
};
BitmapPixels loadBitmapResource(const char* modulePath, int bitmapId);
