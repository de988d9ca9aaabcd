#include "ui/win32/MainWindow.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/MainWindowRules.h"
#include "ui/SelectPrinterPresenter.h"
#include "ui/win32/DialogLayout.h"
#include "ui/win32/DialogSupport.h"
#include "ui/win32/PortConfigDialog.h"
#include "ui/win32/SmallDialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>

#include <vector>

namespace {

// The progress bar, in client pixels.
constexpr RECT kBarFrame{kProgressFrame.left, kProgressFrame.top, kProgressFrame.right,
                         kProgressFrame.bottom};
constexpr int kBarLeft = kProgressFillLeft;
constexpr int kBarTop = kProgressFillTop;
constexpr int kBarBottom = kProgressFillBottom;

// Configured and attached in this order.
constexpr const MainWindowButton* kButtons = kMainWindowButtons;

// "description|pattern|...||" into the NUL-separated form of the open-file dialog.
std::vector<char> openFileFilter(const std::string& filter) {
    std::vector<char> result(filter.begin(), filter.end());
    for (char& c : result) {
        if (c == '|') {
            c = '\0';
        }
    }
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

} // namespace

MainWindow::MainWindow(const DownloadJob& job, InteractiveServices services)
    : ModalDialog(IDD_MAIN), services_(services),
      engine_(*this, services.port, services.socket, services.printerQueueRedirects,
              services.reporter, services.clock),
      presenter_({engine_.modelCode, engine_.modelName, engine_.firmwarePath, engine_.portSettings},
                 *this) {
    engine_.setJob(job);
    icon_ = LoadIconA(resourceModule(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

MainWindow::~MainWindow() {
    setFineTimerResolution(false);
}

BOOL MainWindow::onInitDialog() {
    char aboutText[128] = {};
    if (LoadStringA(resourceModule(), IDS_ABOUTBOX, aboutText, sizeof aboutText) > 0) {
        HMENU systemMenu = GetSystemMenu(hwnd(), FALSE);
        if (systemMenu != nullptr) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    bannerBrush_.reset(CreateSolidBrush(kBannerBackground));

    presenter_.initialize();
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowTextA(hwnd(), "Mirelith");
    for (size_t i = 0; i < buttons_.size(); ++i) {
        configureStandardButton(buttons_[i], kButtons[i].text, kButtonTextX, kButtonTextY);
        buttons_[i].attach(hwnd(), kButtons[i].controlId);
    }
    makeRoomForContent();

    if (!presenter_.chooseModel([&](SelectPrinterPresenter& choice) {
            SelectPrinterDialog selectDialog(choice);
            return selectDialog.runModal(hwnd()) == IDOK;
        })) {
        endDialog(kModelChoiceCancelled);
    }
    return TRUE;
}

bool MainWindow::preTranslateMessage(const MSG& msg) {
    // Enter and Escape neither close the window nor press a button.
    return isEnterOrEscapeFor(msg);
}

bool MainWindow::onCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_MAIN_CONFIGURATION:
        onConfigurationClicked();
        return true;
    case IDC_MAIN_SELECT_FW:
        onSelectFirmwareClicked();
        return true;
    case IDC_MAIN_DOWNLOAD:
        engine_.onDownloadClicked();
        return true;
    case IDC_MAIN_EXIT:
        endDialog(IDOK);
        return true;
    case IDCANCEL:
        // Closing through the system (Alt+F4): the window ends; its destruction gives back
        // whatever a running download holds.
        endDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

void MainWindow::makeRoomForContent() {
    // Grown to hold the bar and the faces whatever the dialog font (see mainWindowClientNeeded);
    // the banner reaches the painted frame, which is drawn again over it.
    std::vector<HWND> faces;
    for (const ImageButton& button : buttons_) {
        faces.push_back(button.hwnd());
    }
    const RECT faceColumn = unionOfChildren(hwnd(), faces);
    const ClientSize need = mainWindowClientNeeded(faceColumn.right, faceColumn.bottom);
    growClientToHold(hwnd(), need.width, need.height);
    keepFrameOnTop(hwnd());
}

void MainWindow::onConfigurationClicked() {
    PortConfigDialog dialog(services_.usbPrinters);
    presenter_.configure(dialog.presenter(), [&] { return dialog.runModal(hwnd()) == IDOK; });
}

void MainWindow::onSelectFirmwareClicked() {
    const std::vector<char> filter = openFileFilter(presenter_.firmwareFilter());
    const std::string initialDirectory = programDirectory();
    std::vector<char> fileName(4096, '\0');
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = hwnd();
    request.lpstrFilter = filter.data();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = static_cast<DWORD>(fileName.size());
    request.lpstrInitialDir = initialDirectory.c_str();
    request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    if (!GetOpenFileNameA(&request)) {
        return;
    }
    presenter_.firmwareChosen(fileName.data());
}

HBRUSH MainWindow::onCtlColor(HDC dc, HWND control, UINT message) {
    if (message == WM_CTLCOLORSTATIC && control != nullptr) {
        switch (GetDlgCtrlID(control)) {
        case IDC_MAIN_BANNER:
            SetTextColor(dc, kBannerText);
            SetBkMode(dc, TRANSPARENT);
            return bannerBrush_.get();
        case IDC_MAIN_HELP:
            SetTextColor(dc, kHelpText);
            SetBkMode(dc, TRANSPARENT);
            return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        default:
            break;
        }
    }
    return ModalDialog::onCtlColor(dc, control, message);
}

INT_PTR MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_TIMER:
        if (engine_.onTimer(static_cast<int32_t>(wParam))) {
            return TRUE;
        }
        handled = false;
        return FALSE;
    case WM_PAINT:
        onPaint();
        return TRUE;
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (size_t i = 0; i < buttons_.size(); ++i) {
            if (static_cast<int>(draw.CtlID) == kButtons[i].controlId) {
                buttons_[i].drawItem(draw);
            }
        }
        return TRUE;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            AboutDialog about;
            about.runModal(hwnd());
            return TRUE;
        }
        handled = false;
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_LBUTTONDOWN:
        beginDragMove(hwnd());
        return TRUE;
    case WM_CLOSE:
        endDialog(IDCANCEL);
        return TRUE;
    case WM_DESTROY:
        // Printer queues back and the port closed before anything else goes.
        engine_.onDestroy();
        handled = false;
        return FALSE;
    default:
        handled = false;
        return FALSE;
    }
}

void MainWindow::onPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    if (IsIconic(hwnd())) {
        SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2,
                 icon_);
        EndPaint(hwnd(), &ps);
        return;
    }
    {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kLineColor));
        GdiObject<HBRUSH> white(CreateSolidBrush(kDialogBackground));
        GdiObject<HBRUSH> fill(CreateSolidBrush(kProgressFill));
        SelectedObject selectedPen(dc, pen.get());
        {
            SelectedObject selectedBrush(dc, white.get());
            Rectangle(dc, 0, 0, client.right, client.bottom);
            MoveToEx(dc, 0, 15, nullptr);
            LineTo(dc, client.right, 15);
            Rectangle(dc, kBarFrame.left, kBarFrame.top, kBarFrame.right, kBarFrame.bottom);
        }
        SelectedObject selectedBrush(dc, fill.get());
        Rectangle(dc, kBarLeft, kBarTop, kBarLeft + static_cast<int>(engine_.progress), kBarBottom);
    }
    EndPaint(hwnd(), &ps);
}

void MainWindow::setTimer(int32_t id, uint32_t intervalMs) {
    SetTimer(hwnd(), static_cast<UINT_PTR>(id), intervalMs, nullptr);
}

void MainWindow::killTimer(int32_t id) {
    KillTimer(hwnd(), static_cast<UINT_PTR>(id));
}

void MainWindow::repaintWindow() {
    InvalidateRect(hwnd(), nullptr, TRUE);
    UpdateWindow(hwnd());
}

void MainWindow::repaintProgressBar() {
    InvalidateRect(hwnd(), &kBarFrame, TRUE);
    UpdateWindow(hwnd());
}

void MainWindow::enableControl(int32_t controlId, bool enabled) {
    EnableWindow(item(controlId), enabled ? TRUE : FALSE);
}

void MainWindow::showHelpText(const std::string& text) {
    SetDlgItemTextA(hwnd(), IDC_MAIN_HELP, text.c_str());
}

void MainWindow::setHelpText(const std::string& text) {
    engine_.setHelpText(text); // the engine keeps it and shows it through showHelpText
}

std::string MainWindow::bannerText() {
    return controlText(item(IDC_MAIN_BANNER));
}

void MainWindow::setBannerText(const std::string& text) {
    SetWindowTextA(item(IDC_MAIN_BANNER), text.c_str());
}

void MainWindow::showModelPicture(int32_t bitmapId) {
    GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(LoadImageA(
        resourceModule(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        return;
    }
    SendMessageA(item(IDC_MAIN_PICTURE), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(bitmap.get()));
    picture_ = std::move(bitmap);
}

void MainWindow::showCompletionDialog() {
    CompletionDialog notice;
    notice.runModal(hwnd());
}

void MainWindow::closeWindow() {
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindow::setFineTimerResolution(bool on) {
    if (on == fineTimers_) {
        return;
    }
    if (on) {
        timeBeginPeriod(1);
    } else {
        timeEndPeriod(1);
    }
    fineTimers_ = on;
}

int runInteractiveMainWindow(const DownloadJob& job, InteractiveServices services) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
    MainWindow window(job, services);
    const INT_PTR result = window.runModal(nullptr);
    return result == MainWindow::kModelChoiceCancelled || result == -1
               ? MainWindowPresenter::kModelChoiceCancelledStatus
               : 0;
}
