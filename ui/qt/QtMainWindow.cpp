#include "ui/qt/QtMainWindow.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/SelectPrinterPresenter.h"
#include "ui/qt/QtImageButton.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtPortConfigDialog.h"
#include "ui/qt/QtSmallDialogs.h"
#include "ui/qt/QtTimerHost.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>

namespace {

// "description|pattern|...||" as Qt's name filters. A description that already ends in its
// pattern in parentheses ("Firmware File(*.fls)") is shown as it is, like the Windows dialog.
QStringList nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        if (description.isEmpty()) {
            break; // the double bar ends the list
        }
        const QString suffix = QLatin1Char('(') + pattern + QLatin1Char(')');
        filters << (description.endsWith(suffix) ? description
                                                 : description + QLatin1Char(' ') + suffix);
    }
    return filters;
}

QRect toQRect(const PixelRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

QtMainWindow::QtMainWindow(const DownloadJob& job, QtInteractiveServices services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), services_(services),
      socket_(services.socket),
      engine_(*this, services.port, socket_, services.printerQueueRedirects, services.reporter,
              services.clock),
      presenter_({engine_.modelCode, engine_.modelName, engine_.firmwarePath, engine_.portSettings},
                 *this) {
    engine_.setJob(job);
    timers_ = new QtTimerHost([this](int32_t id) { engine_.onTimer(id); }, this);
    setWindowIcon(programIcon());
    setFont(windowsPointFont("Arial", 8));
    const DialogUnits du(font());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kDialogBackground));
    palette.setColor(QPalette::WindowText, toQColor(kDialogText));
    setPalette(palette);

    // The controls in template order.
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QtImageButton(this);
    }
    button(IDC_MAIN_EXIT)->setGeometry(du.rect(109, 96, 75, 14));
    button(IDC_MAIN_DOWNLOAD)->setGeometry(du.rect(109, 74, 75, 14));
    button(IDC_MAIN_CONFIGURATION)->setGeometry(du.rect(109, 29, 75, 15));
    button(IDC_MAIN_SELECT_FW)->setGeometry(du.rect(109, 52, 75, 14));

    banner_ = new QLabel(QString::fromLatin1(kBannerTemplateText), this);
    banner_->setGeometry(du.rect(0, 0, 191, 9));
    banner_->setAutoFillBackground(true);
    QPalette bannerPalette = banner_->palette();
    bannerPalette.setColor(QPalette::Window, toQColor(kBannerBackground));
    bannerPalette.setColor(QPalette::WindowText, toQColor(kBannerText));
    banner_->setPalette(bannerPalette);

    help_ = new QLabel(QString::fromLatin1(kHelpTemplateText), this);
    help_->setGeometry(du.rect(7, 13, 184, 11));
    help_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    help_->setWordWrap(false);
    QPalette helpPalette = help_->palette();
    helpPalette.setColor(QPalette::WindowText, toQColor(kHelpText));
    help_->setPalette(helpPalette);

    picture_ = new QLabel(this);
    picture_->move(du.x(6), du.y(27));

    for (size_t i = 0; i < buttons_.size(); ++i) {
        configureStandardButton(*buttons_[i], QString::fromLatin1(kMainWindowButtons[i].text),
                                kButtonTextX, kButtonTextY);
    }
    QRect faces;
    for (const QtImageButton* face : buttons_) {
        faces |= face->geometry();
    }
    const ClientSize need = mainWindowClientNeeded(faces.right() + 1, faces.bottom() + 1);
    setFixedSize(std::max(du.x(192), need.width), std::max(du.y(136), need.height));
}

QtMainWindow::~QtMainWindow() {
    // Printer queues back and the port closed before anything else goes.
    engine_.onDestroy();
}

QtImageButton* QtMainWindow::button(int32_t controlId) const {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (kMainWindowButtons[i].controlId == controlId) {
            return buttons_[i];
        }
    }
    return nullptr;
}

int QtMainWindow::exec() {
    presenter_.initialize();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(QStringLiteral("Mirelith")); // seen in the task bar: there is no title bar
    connect(button(IDC_MAIN_CONFIGURATION), &QAbstractButton::clicked, this,
            [this] { onConfigurationClicked(); });
    connect(button(IDC_MAIN_SELECT_FW), &QAbstractButton::clicked, this,
            [this] { onSelectFirmwareClicked(); });
    connect(button(IDC_MAIN_DOWNLOAD), &QAbstractButton::clicked, this,
            [this] { engine_.onDownloadClicked(); });
    connect(button(IDC_MAIN_EXIT), &QAbstractButton::clicked, this, [this] { close(); });
    new BackgroundDrag(this);

    if (!chooseModel()) {
        return MainWindowPresenter::kModelChoiceCancelledStatus;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    // Enter and Escape do nothing here without help: the window is no dialog and none of its
    // buttons is a default button.
    QEventLoop loop;
    loop_ = &loop;
    show();
    loop.exec();
    loop_ = nullptr;
    hide();
    engine_.onDestroy();
    return 0;
}

bool QtMainWindow::chooseModel() {
    return presenter_.chooseModel([](SelectPrinterPresenter& choice) {
        QtSelectPrinterDialog dialog(choice, nullptr);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        }
        return dialog.exec() == QDialog::Accepted;
    });
}

void QtMainWindow::onConfigurationClicked() {
    QtPortConfigDialog dialog(services_.usbPrinters, this);
    presenter_.configure(dialog.presenter(), [&] { return dialog.runModal(); });
}

void QtMainWindow::onSelectFirmwareClicked() {
    // Qt's own dialog rather than the desktop's, the same on every desktop.
    QFileDialog dialog(this, QStringLiteral("Open"), QCoreApplication::applicationDirPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters(presenter_.firmwareFilter()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    presenter_.firmwareChosen(dialog.selectedFiles().front().toStdString());
}

void QtMainWindow::showAbout() {
    QtAboutDialog about(this);
    about.exec();
}

void QtMainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The entry Windows puts into the system menu, which a captionless window has not here.
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromLatin1(kAboutMenuText));
    if (menu.exec(event->globalPos()) == about) {
        showAbout();
    }
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    // Exit, or the window manager's close (Alt+F4): the run ends; the window's end gives back
    // whatever a running download holds.
    if (loop_ != nullptr) {
        loop_->quit();
    }
    event->accept();
}

void QtMainWindow::paintEvent(QPaintEvent*) {
    paintFramedBackground(*this);
    QPainter painter(this);
    painter.setPen(toQColor(kLineColor));
    painter.setBrush(toQColor(kDialogBackground));
    painter.drawLine(0, kBannerLineY, width(), kBannerLineY);
    painter.drawRect(toQRect(kProgressFrame).adjusted(0, 0, -1, -1));
    const int progress = static_cast<int>(engine_.progress);
    if (progress > 0) {
        painter.setBrush(toQColor(kProgressFill));
        painter.drawRect(kProgressFillLeft, kProgressFillTop, progress - 1,
                         kProgressFillBottom - kProgressFillTop - 1);
    }
}

void QtMainWindow::setTimer(int32_t id, uint32_t intervalMs) {
    timers_->setTimer(id, intervalMs);
    if (onTimerArmed) {
        onTimerArmed(id);
    }
}

void QtMainWindow::killTimer(int32_t id) {
    timers_->killTimer(id);
}

void QtMainWindow::repaintWindow() {
    repaint();
}

void QtMainWindow::repaintProgressBar() {
    repaint(toQRect(kProgressFrame));
}

void QtMainWindow::enableControl(int32_t controlId, bool enabled) {
    if (QtImageButton* face = button(controlId)) {
        face->setEnabled(enabled);
    }
}

void QtMainWindow::showHelpText(const std::string& text) {
    help_->setText(QString::fromStdString(text));
}

void QtMainWindow::setHelpText(const std::string& text) {
    engine_.setHelpText(text); // the engine keeps it and shows it through showHelpText
}

std::string QtMainWindow::bannerText() {
    return banner_->text().toStdString();
}

void QtMainWindow::setBannerText(const std::string& text) {
    banner_->setText(QString::fromStdString(text));
}

void QtMainWindow::showModelPicture(int32_t bitmapId) {
    const QPixmap picture = resourceBitmap(bitmapId);
    if (picture.isNull()) {
        return;
    }
    picture_->setPixmap(picture);
    picture_->resize(picture.size());
}

void QtMainWindow::showCompletionDialog() {
    QtCompletionDialog notice(this);
    notice.exec();
}

void QtMainWindow::closeWindow() {
    // Posted, like WM_CLOSE: the window ends once the current handler has returned.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
