#include "tests/wine/ui_driver/WindowProbe.h"

#include <vector>

namespace {

struct EnumState {
    DWORD processId;
    std::vector<HWND>* found;
};

BOOL CALLBACK collectTop(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == state->processId && IsWindowVisible(window)) {
        state->found->push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collectChildren(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace

std::vector<HWND> WindowProbe::topWindows() const {
    std::vector<HWND> found;
    EnumState state{processId_, &found};
    EnumWindows(&collectTop, reinterpret_cast<LPARAM>(&state));
    return found;
}

HWND WindowProbe::findDialogWith(std::initializer_list<int> childIds,
                                 std::initializer_list<int> without) const {
    for (HWND window : topWindows()) {
        bool all = true;
        for (int id : childIds) {
            all = all && GetDlgItem(window, id) != nullptr;
        }
        for (int id : without) {
            all = all && GetDlgItem(window, id) == nullptr;
        }
        if (all) {
            return window;
        }
    }
    return nullptr;
}

HWND WindowProbe::findByTitle(const std::string& title) const {
    for (HWND window : topWindows()) {
        if (text(window) == title) {
            return window;
        }
    }
    return nullptr;
}

std::string WindowProbe::text(HWND window) {
    if (window == nullptr) {
        return "<no window>";
    }
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

void WindowProbe::pressKey(HWND window, WPARAM key) {
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

// List texts are read with the wide messages: they are the ones marshalled between processes.
std::string WindowProbe::listText(HWND list, UINT message, int index) {
    wchar_t buffer[512] = {};
    SendMessageW(list, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    char narrow[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, buffer, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::vector<std::string> WindowProbe::comboEntries(HWND combo) {
    std::vector<std::string> entries;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        entries.push_back(listText(combo, CB_GETLBTEXT, static_cast<int>(i)));
    }
    return entries;
}

void WindowProbe::typeText(HWND edit, const std::string& text) {
    for (char c : text) {
        PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    }
}

int WindowProbe::comboSelection(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

std::string WindowProbe::comboSelectedText(HWND combo) {
    const int index = comboSelection(combo);
    if (index < 0) {
        return "<none>";
    }
    return listText(combo, CB_GETLBTEXT, index);
}

bool WindowProbe::checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string WindowProbe::messageBoxText(HWND box) {
    std::vector<HWND> children;
    EnumChildWindows(box, &collectChildren, reinterpret_cast<LPARAM>(&children));
    std::string all;
    for (HWND child : children) {
        if (className(child) == "Static") {
            all += text(child);
        }
    }
    return all;
}

bool WindowProbe::waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(50);
    }
}

HWND WindowProbe::waitForDialog(std::initializer_list<int> childIds, DWORD timeoutMs,
                                std::initializer_list<int> without) const {
    HWND found = nullptr;
    waitUntil([&] { return (found = findDialogWith(childIds, without)) != nullptr; }, timeoutMs);
    return found;
}

HWND WindowProbe::waitForTitle(const std::string& title, DWORD timeoutMs) const {
    HWND found = nullptr;
    waitUntil([&] { return (found = findByTitle(title)) != nullptr; }, timeoutMs);
    return found;
}
