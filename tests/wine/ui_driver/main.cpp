// Drives mirelith.exe through an interactive download as a user would: it finds the program's
// windows, reads their controls and clicks them, and checks what the user would see at each
// step. Meant to run under Wine beside a printer simulator listening on 127.0.0.1.
//
// ui_driver.exe --program PATH --tcp-port N --firmware PATH [--pause-dir DIR]
// With --pause-dir it stops at the model selection, the main window, the configuration dialog,
// the completion dialog and a message box, writes DIR\<name>.ready and waits for DIR\<name>.done
// (for screenshots).
#include "res/resource.h"
#include "tests/wine/ui_driver/Checks.h"
#include "tests/wine/ui_driver/ReachableMessageBox.h"
#include "tests/wine/ui_driver/WholeWindowChecks.h"
#include "tests/wine/ui_driver/WindowProbe.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Which of the main window's four buttons are enabled, as "1" or "0" for each.
std::string mainButtons(HWND main) {
    std::string states;
    for (int id : {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
        states += WindowProbe::enabled(main, id) ? '1' : '0';
    }
    return states;
}

bool helpLineBecomes(HWND main, const std::string& text, DWORD timeoutMs) {
    return WindowProbe::waitUntil(
        [&] { return WindowProbe::itemText(main, IDC_MAIN_HELP) == text; }, timeoutMs);
}

struct Options {
    std::string program;
    std::string tcpPort;
    std::string firmware;
    std::string pauseDir;
};

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void pauseFor(const Options& options, const std::string& name) {
    if (options.pauseDir.empty()) {
        return;
    }
    Sleep(500); // let the windows finish painting
    const std::string ready = options.pauseDir + "\\" + name + ".ready";
    const std::string done = options.pauseDir + "\\" + name + ".done";
    HANDLE file = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    WindowProbe::waitUntil([&] { return fileExists(done); }, 30000);
}

class Program {
  public:
    explicit Program(const std::string& path) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + path + "\"";
        std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back('\0');
        if (CreateProcessA(path.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info_)) {
            CloseHandle(info_.hThread);
            started_ = true;
        }
    }
    ~Program() {
        if (started_) {
            if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info_.hProcess, 99);
            }
            CloseHandle(info_.hProcess);
        }
    }
    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD waitForExit(DWORD timeoutMs) {
        WaitForSingleObject(info_.hProcess, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

BOOL CALLBACK dumpWindow(HWND window, LPARAM) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char title[128] = {};
    char cls[64] = {};
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, cls, sizeof cls);
    std::printf("  window %p process %lu visible %d class %s title \"%s\"\n",
                static_cast<void*>(window), static_cast<unsigned long>(owner),
                IsWindowVisible(window), cls, title);
    return TRUE;
}

// What is on the desktop, to explain a window that did not turn up.
void dumpWindows(DWORD processId) {
    std::printf("  windows while waiting for process %lu:\n",
                static_cast<unsigned long>(processId));
    EnumWindows(&dumpWindow, 0);
    std::fflush(stdout);
}

// The configuration dialog's message boxes carry the application title, as the main window
// does; of the two only the message box has an OK button.
HWND waitForMessageBox(const WindowProbe& probe) {
    HWND found = nullptr;
    WindowProbe::waitUntil(
        [&] {
            for (HWND window : probe.topWindows()) {
                if (WindowProbe::text(window) == "Mirelith" &&
                    GetDlgItem(window, IDOK) != nullptr) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        5000);
    return found;
}

void closeMessageBox(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WindowProbe::waitUntil([&] { return !IsWindow(box); }, 5000);
}

void clickListEntry(HWND list, int index) {
    RECT entry{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&entry));
    const LPARAM point = MAKELPARAM((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
}

// The first window of a run: the model selection (a cold Wine start can take long).
HWND modelSelection(const Program& program, const WindowProbe& probe) {
    check(program.started(), "program starts");
    HWND select = probe.waitForDialog({IDC_MODEL_LIST}, 60000);
    if (!found(select, "model selection dialog appears")) {
        dumpWindows(program.id());
    }
    return select;
}

// Escape in the model selection ends the program with status 1 before any window shows.
void cancelledModelChoice(const Options& options) {
    Program program(options.program);
    WindowProbe probe(program.id());
    HWND select = modelSelection(program, probe);
    if (select == nullptr) {
        return;
    }
    HWND list = GetDlgItem(select, IDC_MODEL_LIST);
    SetForegroundWindow(select);
    WindowProbe::pressKey(list, VK_ESCAPE);
    check(program.waitForExit(10000) == 1, "Escape in the model selection ends with status 1");
}

void configurationDialogChecks(const WindowProbe& probe, HWND main, HWND& config) {
    // What the dialog shows is the presenter's, tested there; this checks what only the real
    // controls do: the combo lists are filled, keys, message boxes, typing into a list.
    HWND portCombo = GetDlgItem(config, IDC_PORT_COMBO);
    checkEqual(WindowProbe::comboSelectedText(portCombo), "COM1", "port list filled and selected");

    WindowProbe::pressKey(portCombo, VK_RETURN);
    WindowProbe::pressKey(config, VK_ESCAPE);
    Sleep(500);
    check(IsWindow(config) && IsWindowVisible(config), "Enter and Escape leave the dialog open");

    WindowProbe::click(config, IDC_RADIO_USB);
    HWND box = waitForMessageBox(probe);
    check(box != nullptr, "USB without a printer shows a message box");
    checkEqual(WindowProbe::messageBoxText(box), "Not Connect USB Printer", "its text");
    closeMessageBox(box);
    WindowProbe::waitUntil([&] { return WindowProbe::checked(config, IDC_RADIO_COM); }, 3000);
    check(WindowProbe::checked(config, IDC_RADIO_COM), "dialog falls back to COM");

    // A typed port name selects no entry: OK refuses it and ends the dialog.
    WindowProbe::click(config, IDC_RADIO_LPT);
    WindowProbe::waitUntil([&] { return WindowProbe::comboEntries(portCombo).size() == 3; }, 3000);
    HWND comboEdit = FindWindowExA(portCombo, nullptr, "Edit", nullptr);
    check(comboEdit != nullptr, "port list has an edit part");
    WindowProbe::typeText(comboEdit, "9");
    check(WindowProbe::waitUntil([&] { return WindowProbe::comboSelection(portCombo) < 0; }, 3000),
          "typing into the port list leaves no entry selected");
    WindowProbe::click(config, IDC_CONFIG_OK);
    box = waitForMessageBox(probe);
    checkEqual(WindowProbe::messageBoxText(box), "Invalid Port Name!", "typed port name refused");
    closeMessageBox(box);
    check(WindowProbe::waitUntil([&] { return !IsWindow(config); }, 5000),
          "dialog ends after the refusal");
    check(!WindowProbe::enabled(main, IDC_MAIN_SELECT_FW), "cancelled dialog changes nothing");

    WindowProbe::click(main, IDC_MAIN_CONFIGURATION);
    config = probe.waitForDialog({IDC_CONFIG_OK, IDC_RADIO_COM}, 10000);
}

void fullDownload(const Options& options) {
    Program program(options.program);
    WindowProbe probe(program.id());
    HWND select = modelSelection(program, probe);
    if (select == nullptr) {
        return;
    }
    HWND list = GetDlgItem(select, IDC_MODEL_LIST);
    check(SendMessageA(list, LB_GETCOUNT, 0, 0) == 2, "two models listed");
    check(WindowProbe::listText(list, LB_GETTEXT, 0) == "T90 Standard" &&
              WindowProbe::listText(list, LB_GETTEXT, 1) == "T90 Prime",
          "models in table order");
    checkSelectionIsWhole(select);
    pauseFor(options, "select");
    clickListEntry(list, 1);

    HWND main = probe.waitForDialog({IDC_MAIN_PICTURE, IDC_MAIN_EXIT}, 10000);
    if (!found(main, "main window appears after the choice")) {
        return;
    }
    checkEqual(WindowProbe::text(main), "Mirelith", "window text");
    checkEqual(WindowProbe::itemText(main, IDC_MAIN_HELP),
               "HELP : Set Communication Configuration. ", "help line at start");
    checkEqual(WindowProbe::itemText(main, IDC_MAIN_BANNER), "   Mirelith V1.0.0", "banner");
    checkEqual(mainButtons(main), "1001", "only Configuration and Exit enabled at start");
    check(SendMessageA(GetDlgItem(main, IDC_MAIN_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0,
          "model picture shown");
    check((GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "main window is topmost");
    bool faceSized = true;
    for (int id : {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
        RECT r{};
        GetWindowRect(GetDlgItem(main, id), &r);
        faceSized = faceSized && r.right - r.left == 108 && r.bottom - r.top == 22;
    }
    check(faceSized, "buttons take the 108 x 22 size of their face bitmaps");

    WindowProbe::pressKey(main, VK_RETURN);
    WindowProbe::pressKey(GetDlgItem(main, IDC_MAIN_EXIT), VK_ESCAPE);
    WindowProbe::pressKey(GetDlgItem(main, IDC_MAIN_EXIT), VK_RETURN);
    Sleep(500);
    check(IsWindow(main) && program.waitForExit(0) == STILL_ACTIVE,
          "Enter and Escape do not close the main window");
    checkMainWindowIsWhole(main);
    pauseFor(options, "main");

    WindowProbe::click(main, IDC_MAIN_CONFIGURATION);
    HWND config = probe.waitForDialog({IDC_CONFIG_OK, IDC_RADIO_COM}, 10000);
    if (!found(config, "configuration dialog opens")) {
        return;
    }
    check((GetWindowLongA(config, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
          "configuration dialog stays above other windows");
    configurationDialogChecks(probe, main, config);
    if (!found(config, "configuration dialog opens again")) {
        return;
    }

    WindowProbe::click(config, IDC_RADIO_ETHERNET);
    WindowProbe::waitUntil([&] { return WindowProbe::visible(config, IDC_IP_ADDRESS); }, 3000);
    SendMessageA(GetDlgItem(config, IDC_IP_ADDRESS), IPM_SETADDRESS, 0,
                 MAKEIPADDRESS(127, 0, 0, 1));
    SendMessageA(GetDlgItem(config, IDC_TCP_PORT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(options.tcpPort.c_str()));
    checkConfigurationIsWhole(config);
    pauseFor(options, "config");
    WindowProbe::click(config, IDC_CONFIG_OK);
    check(WindowProbe::waitUntil([&] { return !IsWindow(config); }, 5000), "OK closes the dialog");
    checkEqual(WindowProbe::itemText(main, IDC_MAIN_HELP), "HELP : Select Firmware File.",
               "help line after configuration");
    checkEqual(mainButtons(main), "1101", "Select f/w enabled, Download not yet");

    // The open-file dialog is a real window: type the name into it and press Open.
    WindowProbe::click(main, IDC_MAIN_SELECT_FW);
    HWND open = nullptr;
    WindowProbe::waitUntil(
        [&] {
            open = probe.findDialogWith({IDOK, 0x47C});
            if (open == nullptr) {
                open = probe.findDialogWith({IDOK, 0x480});
            }
            return open != nullptr;
        },
        15000);
    if (!found(open, "open-file dialog appears")) {
        return;
    }
    const std::vector<std::string> types = WindowProbe::comboEntries(GetDlgItem(open, 0x470));
    check(types == std::vector<std::string>{"Firmware File(*.fls)"},
          "open-file dialog offers the model's file type");
    HWND nameField =
        GetDlgItem(open, 0x47C) != nullptr ? GetDlgItem(open, 0x47C) : GetDlgItem(open, 0x480);
    SendMessageA(nameField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options.firmware.c_str()));
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
    check(WindowProbe::waitUntil([&] { return WindowProbe::enabled(main, IDC_MAIN_DOWNLOAD); },
                                 10000),
          "Download enabled after the file was chosen");
    checkEqual(WindowProbe::itemText(main, IDC_MAIN_HELP), "HELP : Ready firmware download.",
               "help line after the file choice");

    WindowProbe::click(main, IDC_MAIN_DOWNLOAD);
    check(helpLineBecomes(main, "HELP : firmware downloading....", 5000),
          "help line while downloading");
    checkEqual(mainButtons(main), "0000", "buttons disabled during the download");

    HWND notice = probe.waitForDialog({IDC_COMPLETION_OK}, 60000, {IDC_CONFIG_OK});
    if (!found(notice, "completion notice appears")) {
        return;
    }
    // The clean-up step runs while the notice is still open.
    check(helpLineBecomes(main, "HELP : Finished firmware download.", 5000),
          "clean-up ran while the notice is open");
    check(IsWindow(notice) && IsWindowVisible(notice), "notice still open after the clean-up");
    checkNoticeIsWhole(notice, options.program);
    pauseFor(options, "completion");
    WindowProbe::click(notice, IDC_COMPLETION_OK);
    check(WindowProbe::waitUntil([&] { return !IsWindow(notice); }, 5000), "OK closes the notice");
    checkEqual(WindowProbe::itemText(main, IDC_MAIN_HELP), "HELP : Finished firmware download.",
               "help line after the download");
    checkEqual(mainButtons(main), "1111", "all buttons enabled again");
    checkConnectErrorBoxTakesAClick(probe, main, [&] { pauseFor(options, "message"); });

    PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = probe.waitForTitle("About Mirelith", 5000);
    if (found(about, "About box opens from the system menu command")) {
        PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WindowProbe::waitUntil([&] { return !IsWindow(about); }, 5000);
    }

    WindowProbe::click(main, IDC_MAIN_EXIT);
    check(program.waitForExit(10000) == 0, "Exit ends the program with status 0");
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--program") {
            options.program = value;
        } else if (key == "--tcp-port") {
            options.tcpPort = value;
        } else if (key == "--firmware") {
            options.firmware = value;
        } else if (key == "--pause-dir") {
            options.pauseDir = value;
        }
    }
    if (options.program.empty() || options.tcpPort.empty() || options.firmware.empty()) {
        std::fprintf(stderr, "usage: ui_driver --program PATH --tcp-port N --firmware PATH "
                             "[--pause-dir DIR]\n");
        return 2;
    }
    cancelledModelChoice(options);
    fullDownload(options);
    std::printf("%d passed, %d failed\n", checksPassed(), checksFailed());
    return checksFailed() == 0 ? 0 : 1;
}
