#include "ui/win32/DialogLayout.h"

#include "ui/win32/GdiHandles.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kFrameKeeperId = 0x4D46;

// Pixels kept free between a list and the line of the group frame around it (the themed frame
// line is up to two pixels thick).
constexpr int kGroupFrameClearance = 3;

void moveBy(HWND dialog, HWND child, int dx) {
    const RECT r = childRect(dialog, child);
    SetWindowPos(child, nullptr, r.left + dx, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Draws the dialog's frame again, over whatever a child has just painted on it.
void paintFrameOutline(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    HDC dc = GetDC(dialog);
    {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        SelectedObject selectedPen(dc, pen.get());
        SelectedObject selectedBrush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 0, 0, client.right, client.bottom);
    }
    ReleaseDC(dialog, dc);
}

// A child that reaches the frame. The common controls paint such children through their
// parent's device context (and a themed group frame fills its parent's background first), so
// no clipping keeps them off the frame: the frame is drawn once more after each of them has
// painted.
LRESULT CALLBACK frameKeeperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR dialog) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &frameKeeperProc, kFrameKeeperId);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SHOWWINDOW:
        paintFrameOutline(reinterpret_cast<HWND>(dialog));
        break;
    default:
        break;
    }
    return result;
}

} // namespace

std::vector<HWND> directChildren(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

RECT childRect(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT unionOfChildren(HWND dialog, const std::vector<HWND>& children) {
    RECT all{};
    for (HWND child : children) {
        const RECT r = childRect(dialog, child);
        UnionRect(&all, &all, &r);
    }
    return all;
}

void growClientToHold(HWND window, int width, int height) {
    RECT client;
    GetClientRect(window, &client);
    const int growX = std::max(0, width - static_cast<int>(client.right));
    const int growY = std::max(0, height - static_cast<int>(client.bottom));
    if (growX == 0 && growY == 0) {
        return;
    }
    RECT outer;
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, outer.left - growX / 2, outer.top - growY / 2,
                 outer.right - outer.left + growX, outer.bottom - outer.top + growY,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void growToHoldChildren(HWND window, int margin) {
    const RECT all = unionOfChildren(window, directChildren(window));
    growClientToHold(window, all.right + margin, all.bottom + margin);
}

void separateFaces(HWND dialog, HWND left, HWND right, int minGap, int minLeft) {
    const RECT leftRect = childRect(dialog, left);
    const int gap = childRect(dialog, right).left - leftRect.right;
    if (gap >= minGap) {
        return;
    }
    const int missing = minGap - gap;
    const int leftward =
        std::min(missing / 2, std::max(0, static_cast<int>(leftRect.left) - minLeft));
    moveBy(dialog, left, -leftward);
    moveBy(dialog, right, missing - leftward);
}

void keepFrameOnTop(HWND dialog) {
    RECT inside;
    GetClientRect(dialog, &inside);
    InflateRect(&inside, -1, -1);
    for (HWND child : directChildren(dialog)) {
        const RECT r = childRect(dialog, child);
        const bool reachesFrame = r.left < inside.left || r.top < inside.top ||
                                  r.right > inside.right || r.bottom > inside.bottom;
        if (reachesFrame) {
            SetWindowSubclass(child, &frameKeeperProc, kFrameKeeperId,
                              reinterpret_cast<DWORD_PTR>(dialog));
        }
    }
}

void fitInsideGroupFrame(HWND dialog, HWND list, HWND frame) {
    const RECT outer = childRect(dialog, frame);
    const RECT r = childRect(dialog, list);
    const int bottom = static_cast<int>(outer.bottom) - kGroupFrameClearance;
    if (r.bottom <= bottom || bottom <= r.top) {
        return;
    }
    SetWindowPos(list, nullptr, 0, 0, r.right - r.left, bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND firstGroupFrame(HWND dialog) {
    for (HWND child : directChildren(dialog)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Button") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
            return child;
        }
    }
    return nullptr;
}
