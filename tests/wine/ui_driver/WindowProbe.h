#pragma once
// The driver's tools: finding another process's windows, reading and poking their controls,
// waiting with a time limit, and the pass and fail record (every check prints one line, and the
// totals decide the exit status).
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

// Prints the check as passed or failed, and returns the condition (a step that needs a window
// that did not turn up is skipped).
bool check(bool condition, const std::string& what);
void checkEqual(const std::string& actual, const std::string& expected, const std::string& what);
// Prints the totals; the exit status for them.
int reportChecks();

// Polls until condition holds or the time is up; returns whether it held.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
std::string text(HWND window);
inline std::string itemText(HWND dialog, int id) {
    return text(GetDlgItem(dialog, id));
}
inline bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
inline void click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
void pressKey(HWND window, WPARAM key);
// Entry text of a list box (LB_GETTEXT) or combo box (CB_GETLBTEXT).
std::string listText(HWND list, UINT message, int index);
// A message box as the user reads it: "caption: text".
std::string messageBoxText(HWND box);
// Clicks the dialog's button (IDOK when none is named) and checks that the window goes.
void checkCloses(HWND window, const std::string& what, int buttonId = IDOK);

// The program under test, started with no arguments and ended if it still runs when this goes.
// Its windows are the visible top-level windows of its process.
class ProgramUnderTest {
  public:
    explicit ProgramUnderTest(const std::string& path);
    ~ProgramUnderTest();
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD waitForExit(DWORD timeoutMs);

    // Its first window that matches, waited for.
    HWND waitFor(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const;
    // One that has a child with each of the ids.
    HWND waitForDialog(std::initializer_list<int> childIds, DWORD timeoutMs) const;
    // Clicks the button and waits for the dialog it opens; a check that it did.
    HWND open(HWND from, int buttonId, std::initializer_list<int> childIds,
              const std::string& what) const;
    // A message box (or any dialog with an OK button), waited for.
    HWND waitForMessageBox(DWORD timeoutMs = 5000) const;
    // Waits for a message box, closes it with OK and returns what it said (messageBoxText).
    std::string answerMessageBox() const;

  private:
    PROCESS_INFORMATION info_{};
};
