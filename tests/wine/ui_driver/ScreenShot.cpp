#include "tests/wine/ui_driver/ScreenShot.h"

#include <utility>

namespace {

COLORREF fromPixel(uint32_t pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

BITMAPINFO topDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

ScreenShot::ScreenShot(const RECT& screenRect)
    : width_(screenRect.right - screenRect.left), height_(screenRect.bottom - screenRect.top) {
    if (width_ <= 0 || height_ <= 0) {
        return;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = topDown32(width_, height_);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width_, height_, screen, screenRect.left, screenRect.top,
                   SRCCOPY)) {
            GdiFlush();
            const auto* first = static_cast<const uint32_t*>(bits);
            pixels_.assign(first, first + static_cast<size_t>(width_) * height_);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

ScreenShot ScreenShot::ofClientArea(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return ScreenShot(client);
}

COLORREF ScreenShot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) {
        return CLR_INVALID;
    }
    return fromPixel(pixels_[static_cast<size_t>(y) * width_ + x]);
}

COLORREF BitmapPixels::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height || pixels.empty()) {
        return CLR_INVALID;
    }
    return fromPixel(pixels[static_cast<size_t>(y) * width + x]);
}

BitmapPixels loadBitmapResource(const char* modulePath, int bitmapId) {
    BitmapPixels result;
    HMODULE module = LoadLibraryExA(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return result;
    }
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap != nullptr) {
        BITMAP description{};
        GetObjectA(bitmap, sizeof description, &description);
        BITMAPINFO info = topDown32(description.bmWidth, description.bmHeight);
        std::vector<uint32_t> pixels(static_cast<size_t>(description.bmWidth) *
                                     description.bmHeight);
        HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(description.bmHeight), pixels.data(),
                      &info, DIB_RGB_COLORS) == description.bmHeight) {
            result.width = description.bmWidth;
            result.height = description.bmHeight;
            result.pixels = std::move(pixels);
        }
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
    }
    FreeLibrary(module);
    return result;
}
