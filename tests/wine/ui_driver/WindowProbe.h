#pragma once
// Looking at and poking the windows of another process: finding its top-level windows, reading
// control texts and states, clicking, and waiting for a condition with a time limit.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class WindowProbe {
  public:
    explicit WindowProbe(DWORD processId) : processId_(processId) {}

    // Visible top-level windows of the process.
    std::vector<HWND> topWindows() const;
    // The first visible top-level window that has a child with each of the ids.
    HWND findDialogWith(std::initializer_list<int> childIds,
                        std::initializer_list<int> without = {}) const;
    // A visible top-level window of the process with that title.
    HWND findByTitle(const std::string& title) const;

    static std::string text(HWND window);
    static std::string itemText(HWND dialog, int id) { return text(GetDlgItem(dialog, id)); }
    static bool enabled(HWND dialog, int id) {
        return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
    }
    static bool visible(HWND dialog, int id) {
        return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
    }
    static void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static void pressKey(HWND window, WPARAM key);
    // Entry text of a list box (LB_GETTEXT) or combo box (CB_GETLBTEXT).
    static std::string listText(HWND list, UINT message, int index);
    static std::vector<std::string> comboEntries(HWND combo);
    // Types the characters into an edit control as keyboard input would.
    static void typeText(HWND edit, const std::string& text);
    static int comboSelection(HWND combo);
    static std::string comboSelectedText(HWND combo);
    static bool checked(HWND dialog, int id);
    // The texts of a message box's static controls.
    static std::string messageBoxText(HWND box);

    // Polls until condition holds or the time is up; returns whether it held.
    static bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
    HWND waitForDialog(std::initializer_list<int> childIds, DWORD timeoutMs,
                       std::initializer_list<int> without = {}) const;
    HWND waitForTitle(const std::string& title, DWORD timeoutMs) const;

  private:
    DWORD processId_;
};
