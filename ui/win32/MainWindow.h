#pragma once
// Template 102: the program's main window in an interactive run. It hosts the download engine
// (MainDialog) as its view and leads the user through model choice, configuration, file choice
// and download.
#include "engine/MainDialog.h"
#include "engine/MainDialogView.h"
#include "ui/MainWindowPresenter.h"
#include "ui/MainWindowSurface.h"
#include "ui/UsbPrinterList.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/ImageButton.h"
#include "ui/win32/ModalDialog.h"

#include <array>

struct InteractiveServices {
    PrinterPort& port;
    NetConnection& socket;
    QueueRedirection& printerQueueRedirects;
    Reporter& reporter;
    Clock& clock;
    UsbPrinterSource& usbPrinters;
};

class MainWindow : public ModalDialog, private MainDialogView, private MainWindowSurface {
  public:
    // End code of the window when the model choice was cancelled.
    static constexpr INT_PTR kModelChoiceCancelled = 0x4D31;

    MainWindow(const DownloadJob& job, InteractiveServices services);
    ~MainWindow() override;

    MainDialog& engine() { return engine_; }

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;
    HBRUSH onCtlColor(HDC dc, HWND control, UINT message) override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool preTranslateMessage(const MSG& msg) override;

  private:
    // MainDialogView
    void setTimer(int32_t id, uint32_t intervalMs) override;
    void killTimer(int32_t id) override;
    void repaintWindow() override;
    void repaintProgressBar() override;
    void enableControl(int32_t controlId, bool enabled) override;
    void showHelpText(const std::string& text) override;
    void showCompletionDialog() override;
    void closeWindow() override;
    void setFineTimerResolution(bool on) override;
    // MainWindowSurface
    void setHelpText(const std::string& text) override;
    void showModelPicture(int32_t bitmapId) override;
    std::string bannerText() override;
    void setBannerText(const std::string& text) override;

    void makeRoomForContent();
    void onConfigurationClicked();
    void onSelectFirmwareClicked();
    void onPaint();

    InteractiveServices services_;
    MainDialog engine_;
    MainWindowPresenter presenter_;
    std::array<ImageButton, 4> buttons_;
    HICON icon_ = nullptr;
    GdiObject<HBITMAP> picture_;
    GdiObject<HBRUSH> bannerBrush_;
    bool fineTimers_ = false;
};

// Runs the interactive main window until the user leaves it. Returns the exit status: 0, or 1
// when the model choice was cancelled.
int runInteractiveMainWindow(const DownloadJob& job, InteractiveServices services);
