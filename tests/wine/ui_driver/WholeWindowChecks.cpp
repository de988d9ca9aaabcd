#include "tests/wine/ui_driver/WholeWindowChecks.h"

#include "res/resource.h"
#include "tests/wine/ui_driver/WindowProbe.h"

#include <string>

namespace {

RECT rectIn(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Inside the one-pixel frame of the dialog's client area.
bool insideFrame(HWND dialog, const RECT& r) {
    RECT client{};
    GetClientRect(dialog, &client);
    return r.left >= 1 && r.top >= 1 && r.right <= client.right - 1 &&
           r.bottom <= client.bottom - 1;
}

// Pixels of the client area's outline on the screen that are not black.
int frameGaps(HWND dialog) {
    RECT r{};
    GetClientRect(dialog, &r);
    MapWindowPoints(dialog, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    HDC screen = GetDC(nullptr);
    int gaps = 0;
    for (int x = r.left; x < r.right; ++x) {
        gaps += (GetPixel(screen, x, r.top) != 0) + (GetPixel(screen, x, r.bottom - 1) != 0);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        gaps += (GetPixel(screen, r.left, y) != 0) + (GetPixel(screen, r.right - 1, y) != 0);
    }
    ReleaseDC(nullptr, screen);
    return gaps;
}

// The outline must be black all round once the window has painted: the screen is read again
// for a while, because a window just shown may still be painting its children, but a frame
// that a child paints over stays broken and fails.
void checkFrameWhole(HWND dialog, const std::string& name) {
    int gaps = 0;
    waitUntil([&] { return (gaps = frameGaps(dialog)) == 0; }, 2000);
    check(gaps == 0, name + ": black frame whole on all four edges (" + std::to_string(gaps) +
                         " pixels missing)");
}

} // namespace

void checkMainWindowIsWhole(HWND main) {
    checkFrameWhole(main, "main window");
    bool faceSized = true;
    for (int id : {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
        const RECT r = rectIn(main, GetDlgItem(main, id));
        faceSized = faceSized && r.right - r.left == 108 && r.bottom - r.top == 22;
    }
    check(faceSized, "main window: buttons take the 108 x 22 size of their face bitmaps");
}

void checkSelectionIsWhole(HWND select) {
    HWND frame = FindWindowExA(select, nullptr, "Button", nullptr);
    const RECT outer = rectIn(select, frame);
    const RECT list = rectIn(select, GetDlgItem(select, IDC_MODEL_LIST));
    // The frame's bottom line is its last row (two for the themed frame).
    check(frame != nullptr && list.bottom <= outer.bottom - 2,
          "selection: list ends inside its group frame");
}

void checkConfigurationIsWhole(HWND config) {
    checkFrameWhole(config, "configuration");
    const RECT ok = rectIn(config, GetDlgItem(config, IDC_CONFIG_OK));
    const RECT cancel = rectIn(config, GetDlgItem(config, IDC_CONFIG_CANCEL));
    check(ok.right < cancel.left && insideFrame(config, ok) && insideFrame(config, cancel),
          "configuration: OK and Cancel faces apart and inside the frame (OK ends at " +
              std::to_string(ok.right) + ", Cancel starts at " + std::to_string(cancel.left) + ")");
}

void checkNoticeIsWhole(HWND notice, const std::string& programPath) {
    checkFrameWhole(notice, "notice");
    // The picture takes its bitmap's size.
    const RECT r = rectIn(notice, FindWindowExA(notice, nullptr, "Static", nullptr));
    check(r.right - r.left == 330 && r.bottom - r.top == 190 && insideFrame(notice, r),
          "notice: the whole 330 x 190 picture lies inside the frame");

    // Its bottom row, the first to be cut off, on the screen as the program's bitmap has it.
    HMODULE program = LoadLibraryExA(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        program, MAKEINTRESOURCEA(IDB_COMPLETION_NOTICE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    POINT origin{r.left, r.top};
    ClientToScreen(notice, &origin);
    int differing = bitmap == nullptr ? 1 : 0;
    for (int x = 0; bitmap != nullptr && x < 330; ++x) {
        differing += GetPixel(memory, x, 189) != GetPixel(screen, origin.x + x, origin.y + 189);
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    FreeLibrary(program);
    check(differing == 0, "notice: the picture's bottom row shown (" + std::to_string(differing) +
                              " pixels differ)");
}
