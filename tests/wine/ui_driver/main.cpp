// Drives mirelith.exe through an interactive download as a user would: it finds the program's
// windows, reads their controls and clicks them, and checks what the user would see at each
// step. Meant to run under Wine beside a printer simulator listening on 127.0.0.1.
//
// ui_driver.exe --program PATH --tcp-port N --firmware PATH [--pause-dir DIR]
// With --pause-dir it stops at the model selection, the main window, the configuration dialog,
// the completion dialog and a message box, writes DIR\<name>.ready and waits for DIR\<name>.done
// (for screenshots).
// Winsock 2 must come before the first <windows.h>, which would bring in the old Winsock.
#include <winsock2.h>

#include "res/resource.h"
#include "tests/wine/ui_driver/WholeWindowChecks.h"
#include "tests/wine/ui_driver/WindowProbe.h"

#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using Options = std::map<std::string, std::string>;

// Which of the main window's four buttons are enabled, as "1" or "0" for each.
std::string mainButtons(HWND main) {
    std::string states;
    for (int id : {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
        states += enabled(main, id) ? '1' : '0';
    }
    return states;
}

bool helpLineBecomes(HWND main, const std::string& text) {
    return waitUntil([&] { return itemText(main, IDC_MAIN_HELP) == text; }, 5000);
}

bool topmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void pauseFor(Options& options, const std::string& name) {
    if (options["--pause-dir"].empty()) {
        return;
    }
    Sleep(500); // let the windows finish painting
    const std::string path = options["--pause-dir"] + "\\" + name;
    CloseHandle(CreateFileA((path + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                            nullptr));
    waitUntil(
        [&] { return GetFileAttributesA((path + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; },
        30000);
}

// The first window of a run: the model selection (a cold Wine start can take long).
HWND modelSelection(const ProgramUnderTest& program) {
    HWND select = program.waitForDialog({IDC_MODEL_LIST}, 60000);
    check(select != nullptr, "model selection dialog appears");
    return select;
}

void clickListEntry(HWND list, int index) {
    RECT entry{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&entry));
    const LPARAM point = MAKELPARAM((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
}

// Ethernet to 127.0.0.1 and the TCP port, typed into the configuration dialog's fields.
void chooseEthernet(HWND config, int tcpPort) {
    click(config, IDC_RADIO_ETHERNET);
    waitUntil([&] { return IsWindowVisible(GetDlgItem(config, IDC_IP_ADDRESS)) != FALSE; }, 3000);
    SendMessageA(GetDlgItem(config, IDC_IP_ADDRESS), IPM_SETADDRESS, 0,
                 MAKEIPADDRESS(127, 0, 0, 1));
    SetDlgItemInt(config, IDC_TCP_PORT, static_cast<UINT>(tcpPort), FALSE);
}

// Escape in the model selection ends the program with status 1 before any window shows.
void cancelledModelChoice(Options& options) {
    ProgramUnderTest program(options["--program"]);
    if (HWND select = modelSelection(program)) {
        SetForegroundWindow(select);
        pressKey(GetDlgItem(select, IDC_MODEL_LIST), VK_ESCAPE);
        check(program.waitForExit(10000) == 1, "Escape in the model selection ends with status 1");
    }
}

// What the dialog shows is the presenter's, tested there; this checks what only the real
// controls do: keys, message boxes, typing into a list. The refused port name ends the dialog.
void configurationKeysAndBoxes(const ProgramUnderTest& program, HWND config) {
    HWND portCombo = GetDlgItem(config, IDC_PORT_COMBO);
    pressKey(portCombo, VK_RETURN);
    pressKey(config, VK_ESCAPE);
    Sleep(500);
    check(IsWindow(config) && IsWindowVisible(config), "Enter and Escape leave the dialog open");

    click(config, IDC_RADIO_USB);
    checkEqual(program.answerMessageBox(), "Mirelith: Not Connect USB Printer",
               "USB without a printer says so");
    check(waitUntil([&] { return IsDlgButtonChecked(config, IDC_RADIO_COM) == BST_CHECKED; }, 3000),
          "dialog falls back to COM");

    // A name typed into the list selects no entry: OK refuses it.
    click(config, IDC_RADIO_LPT);
    PostMessageA(FindWindowExA(portCombo, nullptr, "Edit", nullptr), WM_CHAR, '9', 1);
    click(config, IDC_CONFIG_OK);
    checkEqual(program.answerMessageBox(), "Mirelith: Invalid Port Name!",
               "typed port name refused");
    check(waitUntil([&] { return !IsWindow(config); }, 5000), "dialog ends after the refusal");
}

// The common dialog's file name field: an edit, or a combo box in the older layout.
HWND fileNameField(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 0x47C);
    return combo != nullptr ? combo : GetDlgItem(dialog, 0x480);
}

// A port on 127.0.0.1 that nothing listens on: taken from the system, then let go.
int refusingPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

// Downloading to a port that refuses the connection: the error box must come up above the main
// window (which is kept above other windows) and close with a real mouse click on its OK
// button, sent through the system's input queue to whichever window is on top at that point.
void refusedConnectionBox(const ProgramUnderTest& program, HWND main, Options& options) {
    HWND config = program.open(main, IDC_MAIN_CONFIGURATION, {IDC_CONFIG_OK, IDC_RADIO_COM},
                               "configuration opens for a refused connection");
    if (config == nullptr) {
        return;
    }
    const int refused = refusingPort();
    chooseEthernet(config, refused);
    checkCloses(config, "OK closes the dialog", IDC_CONFIG_OK);
    click(main, IDC_MAIN_DOWNLOAD);
    HWND box = program.waitForMessageBox(20000);
    if (!check(box != nullptr, "refused connection shows a message box")) {
        return;
    }
    checkEqual(messageBoxText(box),
               "QEM_NUV: Socket Connect Error! ip=127.0.0.1, tcpport=" + std::to_string(refused),
               "its text");
    RECT r{};
    GetWindowRect(GetDlgItem(box, IDOK), &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    check(WindowFromPoint(centre) == GetDlgItem(box, IDOK), "the box's OK button is on top");
    pauseFor(options, "message");
    SetCursorPos(centre.x, centre.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    check(waitUntil([&] { return !IsWindow(box); }, 5000),
          "a real mouse click on OK closes the box");
    // Out of the way if it did not, so that the rest of the walk can go on.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void fullDownload(Options& options) {
    ProgramUnderTest program(options["--program"]);
    HWND select = modelSelection(program);
    if (select == nullptr) {
        return;
    }
    checkSelectionIsWhole(select);
    pauseFor(options, "select");
    clickListEntry(GetDlgItem(select, IDC_MODEL_LIST), 1); // T90 Prime

    HWND main = program.waitForDialog({IDC_MAIN_PICTURE, IDC_MAIN_EXIT}, 10000);
    if (!check(main != nullptr, "main window appears after the choice")) {
        return;
    }
    checkEqual(text(main), "Mirelith", "window text");
    checkEqual(itemText(main, IDC_MAIN_BANNER), "   Mirelith V1.0.0", "banner");
    check(SendMessageA(GetDlgItem(main, IDC_MAIN_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0,
          "model picture shown");
    check(topmost(main), "main window is topmost");
    pressKey(main, VK_RETURN);
    pressKey(GetDlgItem(main, IDC_MAIN_EXIT), VK_ESCAPE);
    pressKey(GetDlgItem(main, IDC_MAIN_EXIT), VK_RETURN);
    Sleep(500);
    check(IsWindow(main) && program.waitForExit(0) == STILL_ACTIVE,
          "Enter and Escape do not close the main window");
    checkMainWindowIsWhole(main);
    pauseFor(options, "main");

    const std::initializer_list<int> configIds = {IDC_CONFIG_OK, IDC_RADIO_COM};
    HWND config = program.open(main, IDC_MAIN_CONFIGURATION, configIds, "configuration opens");
    if (config == nullptr) {
        return;
    }
    check(topmost(config), "configuration dialog stays above other windows");
    configurationKeysAndBoxes(program, config);
    config = program.open(main, IDC_MAIN_CONFIGURATION, configIds, "configuration opens again");
    if (config == nullptr) {
        return;
    }
    chooseEthernet(config, std::stoi(options["--tcp-port"]));
    checkConfigurationIsWhole(config);
    pauseFor(options, "config");
    checkCloses(config, "OK closes the dialog", IDC_CONFIG_OK);
    checkEqual(mainButtons(main), "1101", "Select f/w enabled, Download not yet");

    // The open-file dialog is a real window: type the name into it and press Open.
    click(main, IDC_MAIN_SELECT_FW);
    HWND open = program.waitFor(
        [](HWND w) { return GetDlgItem(w, IDOK) != nullptr && fileNameField(w) != nullptr; },
        15000);
    if (!check(open != nullptr, "open-file dialog appears")) {
        return;
    }
    HWND types = GetDlgItem(open, 0x470);
    check(SendMessageA(types, CB_GETCOUNT, 0, 0) == 1 &&
              listText(types, CB_GETLBTEXT, 0) == "Firmware File(*.fls)",
          "open-file dialog offers the model's file type");
    SendMessageA(fileNameField(open), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(options["--firmware"].c_str()));
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
    check(waitUntil([&] { return enabled(main, IDC_MAIN_DOWNLOAD); }, 10000),
          "Download enabled after the file was chosen");

    click(main, IDC_MAIN_DOWNLOAD);
    check(helpLineBecomes(main, "HELP : firmware downloading...."), "help line while downloading");
    checkEqual(mainButtons(main), "0000", "buttons disabled during the download");
    HWND notice = program.waitForDialog({IDC_COMPLETION_OK}, 60000);
    if (!check(notice != nullptr, "completion notice appears")) {
        return;
    }
    // The clean-up step runs while the notice is still open.
    check(helpLineBecomes(main, "HELP : Finished firmware download."),
          "clean-up ran while the notice is open");
    check(IsWindow(notice) && IsWindowVisible(notice), "notice still open after the clean-up");
    checkNoticeIsWhole(notice, options["--program"]);
    pauseFor(options, "completion");
    checkCloses(notice, "OK closes the notice", IDC_COMPLETION_OK);
    checkEqual(mainButtons(main), "1111", "all buttons enabled again");

    refusedConnectionBox(program, main, options);
    PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = program.waitFor([](HWND w) { return text(w) == "About Mirelith"; }, 5000);
    if (check(about != nullptr, "About box opens from the system menu command")) {
        // The program runs from a folder it may write, so its log is beside it.
        std::string program = options["--program"];
        checkEqual(text(GetDlgItem(about, IDC_ABOUT_LOG)),
                   "Log: " + program.substr(0, program.find_last_of('\\') + 1) + "_QEM_NUV.txt",
                   "About box says where the log goes");
        checkCloses(about, "OK closes the About box");
    }
    click(main, IDC_MAIN_EXIT);
    check(program.waitForExit(10000) == 0, "Exit ends the program with status 0");
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        options[argv[i]] = argv[i + 1];
    }
    if (options["--program"].empty() || options["--tcp-port"].empty() ||
        options["--firmware"].empty()) {
        std::fprintf(stderr, "usage: ui_driver --program PATH --tcp-port N --firmware PATH "
                             "[--pause-dir DIR]\n");
        return 2;
    }
    cancelledModelChoice(options);
    fullDownload(options);
    return reportChecks();
}
