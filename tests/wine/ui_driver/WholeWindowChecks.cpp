#include "tests/wine/ui_driver/WholeWindowChecks.h"

#include "res/resource.h"
#include "tests/wine/ui_driver/Checks.h"
#include "tests/wine/ui_driver/ScreenShot.h"

#include <cstdio>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The main window's progress bar frame, in client pixels.
constexpr RECT kBarFrame{8, 200, 278, 210};
// Columns of white the faces' texts keep before the right end cap.
constexpr int kMinTextClearance = 2;

std::string describe(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

RECT clientRectOf(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT clientArea(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The first pixel of the one-pixel outline of r (right and bottom exclusive) that is not black,
// as "x,y", or empty when the whole outline is black.
std::string firstGapInOutline(const ScreenShot& shot, const RECT& r) {
    auto black = [&](int x, int y) { return shot.at(x, y) == kBlack; };
    for (int x = r.left; x < r.right; ++x) {
        for (int y : {static_cast<int>(r.top), static_cast<int>(r.bottom) - 1}) {
            if (!black(x, y)) {
                return std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x : {static_cast<int>(r.left), static_cast<int>(r.right) - 1}) {
            if (!black(x, y)) {
                return std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return {};
}

void checkFrameWhole(HWND window, const std::string& name) {
    const ScreenShot shot = ScreenShot::ofClientArea(window);
    if (!shot.valid()) {
        check(false, name + ": screen could be read back");
        return;
    }
    const std::string gap = firstGapInOutline(shot, {0, 0, shot.width(), shot.height()});
    check(gap.empty(), name + ": one-pixel black frame whole on all four edges" +
                           (gap.empty() ? "" : " (not black at " + gap + ")"));
}

// Faces lie whole inside the frame and none overlaps another.
void checkFacesApart(HWND dialog, const std::vector<int>& ids, const std::string& name) {
    RECT frameInside = clientArea(dialog);
    InflateRect(&frameInside, -1, -1);
    std::vector<RECT> faces;
    for (int id : ids) {
        faces.push_back(clientRectOf(dialog, GetDlgItem(dialog, id)));
    }
    bool whole = true;
    bool apart = true;
    std::string detail;
    for (size_t i = 0; i < faces.size(); ++i) {
        if (!inside(faces[i], frameInside)) {
            whole = false;
            detail.append(" face ").append(describe(faces[i]));
            detail.append(" outside ").append(describe(frameInside));
        }
        for (size_t j = i + 1; j < faces.size(); ++j) {
            RECT common{};
            if (IntersectRect(&common, &faces[i], &faces[j])) {
                apart = false;
                detail.append(" ").append(describe(faces[i]));
                detail.append(" overlaps ").append(describe(faces[j]));
            }
        }
    }
    check(whole && apart, name + ": faces whole inside the frame and apart" + detail);
}

// How many white columns lie between the face's text and its right end cap. The cap begins
// where the face's second row, white along the bar, stops being white.
int textClearanceBeforeCap(HWND face) {
    RECT r{};
    GetWindowRect(face, &r);
    const ScreenShot shot(r);
    const int middle = shot.width() / 2;
    int cap = middle;
    while (cap < shot.width() && shot.at(cap, 1) == kWhite) {
        ++cap;
    }
    int clear = 0;
    for (int x = cap - 1; x > middle; --x) {
        for (int y = 2; y < shot.height() - 2; ++y) {
            if (shot.at(x, y) != kWhite) {
                return clear;
            }
        }
        ++clear;
    }
    return clear;
}

void checkTextsClearOfCaps(HWND dialog, const std::vector<int>& ids, const std::string& name) {
    std::string detail;
    bool clear = true;
    for (int id : ids) {
        const int columns = textClearanceBeforeCap(GetDlgItem(dialog, id));
        if (columns < kMinTextClearance) {
            clear = false;
            detail += " control " + std::to_string(id) + ": " + std::to_string(columns);
        }
    }
    check(clear, name + ": face texts keep clear of the right end caps" + detail);
}

HWND groupFrame(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Button") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
            return child;
        }
    }
    return nullptr;
}

HWND labelWithText(HWND dialog, const char* text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char found[64] = {};
        GetWindowTextA(child, found, sizeof found);
        if (lstrcmpA(found, text) == 0) {
            return child;
        }
    }
    return nullptr;
}

bool ink(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 160;
}

// The lowest row holding text in a width x height area, or -1.
template <typename PixelAt> int lowestInkRow(int width, int height, PixelAt at) {
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            if (ink(at(x, y))) {
                return y;
            }
        }
    }
    return -1;
}

// The label's text as the dialog's font (Arial, 8 points) draws it on its own, unobstructed.
int expectedLowestInkRow(const char* text, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    LOGFONTA description{};
    description.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(description.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&description);
    HGDIOBJ previousFont = SelectObject(memory, font);
    RECT area{0, 0, width, height};
    FillRect(memory, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory, RGB(80, 80, 80));
    SetBkMode(memory, TRANSPARENT);
    DrawTextA(memory, text, -1, &area, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
    const int lowest =
        lowestInkRow(width, height, [&](int x, int y) { return GetPixel(memory, x, y); });
    SelectObject(memory, previousFont);
    DeleteObject(font);
    SelectObject(memory, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return lowest;
}

} // namespace

void checkSelectionIsWhole(HWND select) {
    HWND frame = groupFrame(select);
    HWND list = GetDlgItem(select, IDC_MODEL_LIST);
    if (!found(frame, "selection: group frame found")) {
        return;
    }
    const RECT frameRect = clientRectOf(select, frame);
    const RECT listRect = clientRectOf(select, list);
    // The frame's bottom line is its last row (two with the themed frame); the list ends above.
    check(listRect.bottom <= frameRect.bottom - 2, "selection: list " + describe(listRect) +
                                                       " ends inside its group frame " +
                                                       describe(frameRect));

    const char* text = "Select Printer";
    HWND label = labelWithText(select, text);
    if (!found(label, "selection: label found")) {
        return;
    }
    RECT labelRect{};
    GetWindowRect(label, &labelRect);
    const ScreenShot shot(labelRect);
    const int seen =
        lowestInkRow(shot.width(), shot.height(), [&](int x, int y) { return shot.at(x, y); });
    const int drawn = expectedLowestInkRow(text, shot.width(), shot.height());
    check(seen == drawn, "selection: label text shown down to its bottom row (lowest row " +
                             std::to_string(seen) + ", drawn alone " + std::to_string(drawn) + ")");
}

void checkMainWindowIsWhole(HWND main) {
    const std::vector<int> faces{IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD,
                                 IDC_MAIN_EXIT};
    checkFrameWhole(main, "main window");
    checkFacesApart(main, faces, "main window");
    checkTextsClearOfCaps(main, faces, "main window");
    const ScreenShot shot = ScreenShot::ofClientArea(main);
    const std::string gap = firstGapInOutline(shot, kBarFrame);
    check(gap.empty(), "main window: progress bar frame shown whole" +
                           (gap.empty() ? "" : " (not black at " + gap + ")"));
}

void checkConfigurationIsWhole(HWND config) {
    const std::vector<int> faces{IDC_CONFIG_OK, IDC_CONFIG_CANCEL};
    checkFrameWhole(config, "configuration");
    checkFacesApart(config, faces, "configuration");
    checkTextsClearOfCaps(config, faces, "configuration");
}

void checkNoticeIsWhole(HWND notice, const std::string& programPath) {
    checkFrameWhole(notice, "notice");
    checkFacesApart(notice, {IDC_COMPLETION_OK}, "notice");

    const BitmapPixels picture = loadBitmapResource(programPath.c_str(), IDB_COMPLETION_NOTICE);
    check(!picture.pixels.empty(), "notice: picture read from the program");
    if (picture.pixels.empty()) {
        return;
    }
    // The picture control is the child that is not the OK button.
    HWND pictureControl = nullptr;
    for (HWND child = GetWindow(notice, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) != IDC_COMPLETION_OK) {
            pictureControl = child;
        }
    }
    if (!found(pictureControl, "notice: picture control found")) {
        return;
    }
    const RECT origin = clientRectOf(notice, pictureControl);
    const RECT face = clientRectOf(notice, GetDlgItem(notice, IDC_COMPLETION_OK));
    const ScreenShot shot = ScreenShot::ofClientArea(notice);
    // Every pixel of the picture that the OK face does not cover is on the screen as drawn;
    // the bottom row is compared on its own, since it is the first to be cut off.
    int differing = 0;
    int bottomRowDiffering = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const POINT at{origin.left + x, origin.top + y};
            if (PtInRect(&face, at)) {
                continue;
            }
            if (shot.at(at.x, at.y) != picture.at(x, y)) {
                ++differing;
                bottomRowDiffering += y == picture.height - 1 ? 1 : 0;
            }
        }
    }
    check(bottomRowDiffering == 0, "notice: bottom row of the " + std::to_string(picture.width) +
                                       " x " + std::to_string(picture.height) + " picture shown (" +
                                       std::to_string(bottomRowDiffering) + " pixels differ)");
    check(differing == 0, "notice: whole picture shown around the OK face (" +
                              std::to_string(differing) + " pixels differ)");
}
