#include "tests/wine/ui_driver/WindowProbe.h"

#include <algorithm>
#include <cstdio>

namespace {
int passed = 0;
int failed = 0;
} // namespace

bool check(bool condition, const std::string& what) {
    ++(condition ? passed : failed);
    std::printf("%s: %s\n", condition ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    return condition;
}

void checkEqual(const std::string& actual, const std::string& expected, const std::string& what) {
    check(actual == expected, what + " (got \"" + actual + "\", expected \"" + expected + "\")");
}

int reportChecks() {
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

std::string text(HWND window) {
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

void pressKey(HWND window, WPARAM key) {
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

// List texts are read with the wide messages: they are the ones marshalled between processes.
std::string listText(HWND list, UINT message, int index) {
    wchar_t buffer[512] = {};
    SendMessageW(list, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    char narrow[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, buffer, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::string messageBoxText(HWND box) {
    std::string all = text(box) + ": ";
    for (HWND s = FindWindowExA(box, nullptr, "Static", nullptr); s != nullptr;
         s = FindWindowExA(box, s, "Static", nullptr)) {
        all += text(s);
    }
    return all;
}

void checkCloses(HWND window, const std::string& what, int buttonId) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, buttonId)));
    check(waitUntil([&] { return !IsWindow(window); }, 5000), what);
}

ProgramUnderTest::ProgramUnderTest(const std::string& path) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + path + "\"";
    check(CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &startup, &info_) != FALSE,
          "program starts");
    CloseHandle(info_.hThread);
}

ProgramUnderTest::~ProgramUnderTest() {
    if (waitForExit(0) == STILL_ACTIVE) {
        TerminateProcess(info_.hProcess, 99);
    }
    CloseHandle(info_.hProcess);
}

DWORD ProgramUnderTest::waitForExit(DWORD timeoutMs) {
    WaitForSingleObject(info_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND ProgramUnderTest::waitFor(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const {
    HWND match = nullptr;
    waitUntil(
        [&] {
            for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, nullptr); window != nullptr;
                 window = FindWindowExA(nullptr, window, nullptr, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == info_.dwProcessId && IsWindowVisible(window) && matches(window)) {
                    match = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return match;
}

HWND ProgramUnderTest::waitForDialog(std::initializer_list<int> childIds, DWORD timeoutMs) const {
    return waitFor(
        [&](HWND window) {
            return std::all_of(childIds.begin(), childIds.end(),
                               [&](int id) { return GetDlgItem(window, id) != nullptr; });
        },
        timeoutMs);
}

HWND ProgramUnderTest::open(HWND from, int buttonId, std::initializer_list<int> childIds,
                            const std::string& what) const {
    click(from, buttonId);
    HWND dialog = waitForDialog(childIds, 10000);
    check(dialog != nullptr, what);
    return dialog;
}

HWND ProgramUnderTest::waitForMessageBox(DWORD timeoutMs) const {
    return waitFor([](HWND window) { return GetDlgItem(window, IDOK) != nullptr; }, timeoutMs);
}

std::string ProgramUnderTest::answerMessageBox() const {
    HWND box = waitForMessageBox();
    if (box == nullptr) {
        return "<no box>";
    }
    const std::string said = messageBoxText(box);
    checkCloses(box, "OK closes the box");
    return said;
}
