#pragma once
// Template 102 in Qt: the program's main window in an interactive run. It hosts the download
// engine (MainDialog) as its view, its timers on Qt's event loop, and leads the user through
// model choice, configuration, file choice and download.
#include "engine/MainDialog.h"
#include "engine/MainDialogView.h"
#include "ui/MainWindowPresenter.h"
#include "ui/MainWindowSurface.h"
#include "ui/UsbPrinterList.h"
#include "ui/qt/QtNetConnection.h"

#include <QWidget>

#include <array>
#include <functional>

class QEventLoop;
class QLabel;
class QtImageButton;
class QtTimerHost;

struct QtInteractiveServices {
    PrinterPort& port;
    NetConnection& socket;
    QueueRedirection& printerQueueRedirects;
    Reporter& reporter;
    Clock& clock;
    UsbPrinterSource& usbPrinters;
};

class QtMainWindow : public QWidget, private MainDialogView, private MainWindowSurface {
  public:
    QtMainWindow(const DownloadJob& job, QtInteractiveServices services);
    ~QtMainWindow() override;

    // Asks for the model, then shows the window until the user leaves it. Returns the exit
    // status: 0, or 1 when the model choice was cancelled (the window never shows then).
    int exec();

    MainDialog& engine() { return engine_; }
    QtImageButton* button(int32_t controlId) const;
    QLabel* helpLine() const { return help_; }
    // Called whenever the engine arms a transfer step (benchmarks time the phases with it).
    std::function<void(int32_t timerId)> onTimerArmed;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

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
    // MainWindowSurface
    void setHelpText(const std::string& text) override;
    void showModelPicture(int32_t bitmapId) override;
    std::string bannerText() override;
    void setBannerText(const std::string& text) override;

    bool chooseModel();
    void onConfigurationClicked();
    void onSelectFirmwareClicked();
    void showAbout();

    QtInteractiveServices services_;
    // The engine's TCP connection: its connect and send leave the window's events flowing.
    QtNetConnection socket_;
    MainDialog engine_;
    MainWindowPresenter presenter_;
    QtTimerHost* timers_;
    QLabel* banner_;
    QLabel* help_;
    QLabel* picture_;
    std::array<QtImageButton*, 4> buttons_{};
    QEventLoop* loop_ = nullptr;
};
