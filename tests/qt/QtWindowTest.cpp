// The Qt window as a user meets it, on Qt's offscreen platform: choose a model, configure
// Ethernet to printer-sim, pick the file in the file dialog, download while the bar moves,
// acknowledge the completion notice, open About, leave with Exit; the printer must have the
// file byte for byte. Also the configuration dialog's radio buttons, USB fall-back and key
// handling, and Escape in the model choice. The presenters' rules have their own unit tests;
// this checks that the widgets carry them.
//
// With MIRELITH_SCREENSHOT_DIR set, each window is also saved there as linux-*.png.
#include "download/QueueRedirection.h"
#include "platform/Clock.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/qt/QtImageButton.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtPortConfigDialog.h"
#include "ui/qt/QtSmallDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

// A user's script: each step waits until the window shows what it needs, then acts. Steps run
// from the event loop, so an action that opens a modal dialog simply blocks while the next
// steps run inside that dialog's loop.
class UserScript {
  public:
    struct Step {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void then(QString what, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(what), std::move(ready), std::move(act)});
    }
    void start() {
        clock_.start();
        QTimer::singleShot(0, &context_, [this] { tick(); });
    }
    bool done() const { return next_ == steps_.size() && failure_.isEmpty(); }
    // Checks made along the way that did not hold, and a step that never became ready.
    QString failure() const { return failure_; }
    void check(bool condition, const QString& what) {
        if (!condition && failure_.isEmpty()) {
            failure_ = what;
        }
    }

  private:
    void tick() {
        if (next_ == steps_.size() || !failure_.isEmpty()) {
            return;
        }
        if (clock_.elapsed() > 120'000) {
            failure_ = QStringLiteral("gave up waiting for: ") + steps_[next_].what;
            closeEverything();
            return;
        }
        Step& step = steps_[next_];
        const bool ready = step.ready();
        if (ready) {
            ++next_;
        }
        QTimer::singleShot(ready ? 0 : 20, &context_, [this] { tick(); });
        if (ready) {
            step.act();
        }
    }
    static void closeEverything() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(widget)) {
                dialog->reject();
            } else {
                widget->close();
            }
        }
    }

    // Ticks still pending when the script goes are dropped with it.
    QObject context_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    QString failure_;
    QElapsedTimer clock_;
};

template <typename T> T* shown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<T*>(widget); found != nullptr && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

QMessageBox* messageSaying(const QString& text) {
    QMessageBox* box = shown<QMessageBox>();
    return box != nullptr && box->text() == text ? box : nullptr;
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
}

void clickItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (!items.isEmpty()) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.front()).center());
    }
}

QStringList entries(QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
    }
    return texts;
}

void saveScreenshot(QWidget* window, const char* name) {
    const QByteArray dir = qgetenv("MIRELITH_SCREENSHOT_DIR");
    if (!dir.isEmpty() && window != nullptr) {
        window->grab().save(QString::fromLocal8Bit(dir) +
                            QStringLiteral("/linux-%1.png").arg(name));
    }
}

class RecordingReporter final : public Reporter {
  public:
    void report(int32_t, LogLevel level, std::string text) override {
        if (level == LogLevel::Notice) {
            reports << QString::fromStdString(text);
        }
    }
    QStringList reports;
};

class NoQueues final : public QueueRedirection {
  public:
    void redirectPrinterQueues(std::string, std::string) override {}
    void restorePrinterQueues() override {}
};

// Answers each USB search with the next list of device paths (the last one from then on; none
// without a script).
class ScriptedUsb final : public UsbPrinterSource {
  public:
    ScriptedUsb() = default;
    explicit ScriptedUsb(std::vector<std::vector<std::string>> answers)
        : answers_(std::move(answers)) {}
    std::vector<std::string> attachedPrinterPaths(int32_t) override {
        return answers_.empty() ? std::vector<std::string>()
                                : answers_[std::min(calls_++, answers_.size() - 1)];
    }

  private:
    std::vector<std::vector<std::string>> answers_;
    size_t calls_ = 0;
};

// printer-sim listening on 127.0.0.1, storing what it receives.
class TcpPrinterSim {
  public:
    explicit TcpPrinterSim(const QString& dir) : received_(dir + QStringLiteral("/received.bin")) {
        const QString info = dir + QStringLiteral("/sim.info");
        process_.start(QStringLiteral(PRINTER_SIM_PATH),
                       {QStringLiteral("--tcp"), QStringLiteral("--info-file"), info,
                        QStringLiteral("--output"), received_});
        for (int i = 0; i < 200 && port_ == 0; ++i) {
            QFile file(info);
            if (file.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : file.readAll().split('\n')) {
                    if (line.startsWith("tcp=")) {
                        port_ = line.mid(4).toInt();
                    }
                }
            }
            QTest::qWait(20);
        }
    }
    ~TcpPrinterSim() { stop(); }
    int port() const { return port_; }
    QByteArray received() {
        stop();
        QFile file(received_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }
    QString received_;
    QProcess process_;
    int port_ = 0;
};

struct Services {
    PortDriver port;
    NetPort socket;
    NoQueues queues;
    RecordingReporter reporter;
    ScriptedUsb usb;
    QtInteractiveServices get() { return {port, socket, queues, reporter, systemClock(), usb}; }
};

} // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initQtResources(); }
    void downloadOverEthernet();
    void portDialogThroughItsWidgets();
    void aDevicePathTypedIntoThePortList();
    void escapeInTheModelChoiceEnds();
};

void QtWindowTest::downloadOverEthernet() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray image(150001, Qt::Uninitialized);
    for (qsizetype i = 0; i < image.size(); ++i) {
        image[i] = char(i * 131 + 7);
    }
    const QString firmware = dir.path() + QStringLiteral("/fw.fls");
    QFile file(firmware);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    file.close();
    TcpPrinterSim sim(dir.path());
    QVERIFY2(sim.port() > 0, "printer-sim did not start");

    Services services;
    QtMainWindow window({}, services.get());
    UserScript user;
    const auto help = [&] { return window.helpLine()->text(); };
    const auto enabled = [&](int id) { return window.button(id)->isEnabled(); };
    uint32_t lowestProgressSeen = 0;

    user.then(
        "the model list", [] { return shown<QtSelectPrinterDialog>() != nullptr; },
        [] {
            saveScreenshot(shown<QtSelectPrinterDialog>(), "select");
            clickItem(shown<QtSelectPrinterDialog>()->modelList(), QStringLiteral("T90 Prime"));
        });
    user.then(
        "the main window", [&] { return window.isVisible(); },
        [&] {
            user.check(window.engine().modelCode == 1112, "T90 Prime chose model 1112");
            user.check(help() == QStringLiteral("HELP : Set Communication Configuration. "),
                       "first help line");
            user.check(!enabled(IDC_MAIN_SELECT_FW) && !enabled(IDC_MAIN_DOWNLOAD),
                       "Select f/w and Download start disabled");
            click(window.button(IDC_MAIN_CONFIGURATION));
        });
    user.then(
        "the configuration dialog", [] { return shown<QtPortConfigDialog>() != nullptr; },
        [&] {
            QtPortConfigDialog* config = shown<QtPortConfigDialog>();
            click(config->control(IDC_RADIO_ETHERNET));
            auto* ip = dynamic_cast<QtIpAddressField*>(config->control(IDC_IP_ADDRESS));
            const char* parts[] = {"127", "0", "0", "1"};
            for (int i = 0; i < 4; ++i) {
                QTest::keyClicks(ip->part(i), QString::fromLatin1(parts[i]));
            }
            auto* tcpPort = qobject_cast<QLineEdit*>(config->control(IDC_TCP_PORT));
            tcpPort->selectAll();
            QTest::keyClicks(tcpPort, QString::number(sim.port()));
            saveScreenshot(config, "config");
            click(config->control(IDC_CONFIG_OK));
        });
    user.then(
        "the configuration accepted",
        [&] { return help() == QStringLiteral("HELP : Select Firmware File."); },
        [&] {
            user.check(enabled(IDC_MAIN_SELECT_FW) && !enabled(IDC_MAIN_DOWNLOAD),
                       "Select f/w enabled, Download not yet");
            user.check(window.engine().portSettings.portName == "127.0.0.1" &&
                           window.engine().portSettings.baudRate == sim.port(),
                       "address and TCP port written back");
            click(window.button(IDC_MAIN_SELECT_FW));
        });
    user.then(
        "the file dialog", [] { return shown<QFileDialog>() != nullptr; },
        [&] {
            QFileDialog* files = shown<QFileDialog>();
            user.check(files->nameFilters() == QStringList{QStringLiteral("Firmware File(*.fls)")},
                       "the T90 filter offers .fls files");
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            // Pasted whole: typed a character at a time, each "/" would open that directory.
            name->setText(firmware);
            auto* buttons = files->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        });
    user.then(
        "the file chosen",
        [&] { return help() == QStringLiteral("HELP : Ready firmware download."); },
        [&] {
            user.check(window.engine().firmwarePath == firmware.toStdString(),
                       "the chosen file is the firmware path");
            click(window.button(IDC_MAIN_DOWNLOAD));
            user.check(help() == QStringLiteral("HELP : firmware downloading....") &&
                           !enabled(IDC_MAIN_CONFIGURATION) && !enabled(IDC_MAIN_EXIT),
                       "downloading: help line and buttons disabled");
        });
    user.then(
        "the bar moving", [&] { return window.engine().progress > 0; },
        [&] { lowestProgressSeen = window.engine().progress; });
    user.then(
        "the bar moving on", [&] { return window.engine().progress > lowestProgressSeen; }, [] {});
    user.then(
        "the completion notice", [] { return shown<QtCompletionDialog>() != nullptr; },
        [&] {
            user.check(window.engine().progress == 268, "the bar is full");
            const QImage face = window.grab().toImage();
            user.check(face.pixelColor(140, 205) == toQColor(kProgressFill),
                       "the bar is painted in its fill colour");
            saveScreenshot(&window, "main");
            saveScreenshot(shown<QtCompletionDialog>(), "completion");
            click(shown<QtCompletionDialog>()->okButton());
        });
    user.then(
        "the finished help line",
        [&] { return help() == QStringLiteral("HELP : Finished firmware download."); },
        [&] {
            user.check(enabled(IDC_MAIN_CONFIGURATION) && enabled(IDC_MAIN_SELECT_FW) &&
                           enabled(IDC_MAIN_DOWNLOAD) && enabled(IDC_MAIN_EXIT),
                       "all four buttons enabled after the transfer");
            const QPoint where(40, 60);
            QContextMenuEvent menu(QContextMenuEvent::Mouse, where, window.mapToGlobal(where));
            QApplication::sendEvent(&window, &menu);
        });
    user.then(
        "the window's menu", [] { return shown<QMenu>() != nullptr; },
        [] {
            QMenu* menu = shown<QMenu>();
            QAction* about = menu->actions().value(0);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(about).center());
        });
    user.then(
        "the About box", [] { return shown<QtAboutDialog>() != nullptr; },
        [&] {
            QtAboutDialog* about = shown<QtAboutDialog>();
            user.check(about->windowTitle() == QStringLiteral("About Mirelith"), "About caption");
            saveScreenshot(about, "about");
            QTest::mouseClick(about->findChild<QPushButton*>(), Qt::LeftButton);
        });
    user.then(
        "the About box closed", [] { return shown<QtAboutDialog>() == nullptr; },
        [&] { click(window.button(IDC_MAIN_EXIT)); });

    user.start();
    const int status = window.exec();
    QVERIFY2(user.failure().isEmpty(), qPrintable(user.failure()));
    QVERIFY2(services.reporter.reports.isEmpty(),
             qPrintable(services.reporter.reports.join(QStringLiteral("; "))));
    QVERIFY(user.done());
    QCOMPARE(status, 0);
    QVERIFY(sim.received() == image);
}

void QtWindowTest::portDialogThroughItsWidgets() {
    const std::string second = "\\\\?\\usb#vid_f0b0&pid_0002#2#{a5dcbf10}";
    // The first search finds nothing, the next two printers.
    ScriptedUsb usb({{}, {"\\\\?\\usb#vid_f0b0&pid_0002#1#{a5dcbf10}", second}});
    QtPortConfigDialog dialog(usb, nullptr);
    dialog.presenter().modelCode = 1032; // no Ethernet for this model
    dialog.presenter().setValues({"\\\\?\\usb#old", 9600, 8, 0, 0, 0, 1});
    auto* ports = qobject_cast<QComboBox*>(dialog.control(IDC_PORT_COMBO));
    UserScript user;

    user.then(
        "the USB fall-back message",
        [] { return messageSaying(QStringLiteral("Not Connect USB Printer")) != nullptr; },
        [] {
            QTest::mouseClick(
                messageSaying(QStringLiteral("Not Connect USB Printer"))->button(QMessageBox::Ok),
                Qt::LeftButton);
        });
    user.then(
        "the dialog on COM", [&] { return dialog.isVisible(); },
        [&] {
            user.check(qobject_cast<QRadioButton*>(dialog.control(IDC_RADIO_COM))->isChecked(),
                       "COM checked after the fall-back");
            user.check(ports->count() == 20 && ports->currentText() == QStringLiteral("COM1"),
                       "20 COM ports, COM1 selected");
            user.check(!dialog.control(IDC_RADIO_ETHERNET)->isEnabled(), "Ethernet disabled");
            user.check(!dialog.control(IDC_IP_ADDRESS)->isVisible(), "IP field hidden");
            click(dialog.control(IDC_RADIO_LPT));
            user.check(entries(ports) == QStringList({"LPT1", "LPT2", "LPT3"}), "LPT list");
            user.check(!dialog.control(IDC_BAUD_COMBO)->isEnabled(), "serial lists off for LPT");
            // Dragged by its background (offscreen there is no window manager to do it).
            const QPoint before = dialog.pos();
            QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(3, 3));
            QTest::mouseMove(&dialog, QPoint(30, 40));
            QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(30, 40));
            user.check(dialog.pos() - before == QPoint(27, 37), "the dialog follows the mouse");
            // Neither key accepts nor cancels, whichever control has the focus.
            ports->setFocus();
            QTest::keyClick(ports, Qt::Key_Escape);
            QTest::keyClick(ports, Qt::Key_Return);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            user.check(dialog.isVisible(), "Enter and Escape leave the dialog open");
            click(dialog.control(IDC_RADIO_USB));
            user.check(entries(ports) == QStringList({"USB001:", "USB002:"}), "two USB printers");
            QTest::keyClick(ports, Qt::Key_Down);
            click(dialog.control(IDC_CONFIG_OK));
        });

    user.start();
    const bool accepted = dialog.runModal();
    QVERIFY2(user.failure().isEmpty(), qPrintable(user.failure()));
    QVERIFY(user.done());
    QVERIFY(accepted);
    QCOMPARE(dialog.presenter().portName, second);
}

void QtWindowTest::aDevicePathTypedIntoThePortList() {
    ScriptedUsb usb;
    QtPortConfigDialog dialog(usb, nullptr);
    dialog.presenter().setValues({"COM1", 9600, 8, 0, 0, 0, 1});
    auto* ports = qobject_cast<QComboBox*>(dialog.control(IDC_PORT_COMBO));
    UserScript user;
    user.then(
        "the dialog on COM", [&] { return dialog.isVisible(); },
        [&] {
            ports->lineEdit()->selectAll();
            QTest::keyClicks(ports->lineEdit(), QStringLiteral("/dev/ttyUSB0"));
            click(dialog.control(IDC_CONFIG_OK));
        });
    user.start();
    QVERIFY(dialog.runModal());
    QVERIFY(user.done());
    QCOMPARE(dialog.presenter().portName, std::string("/dev/ttyUSB0"));
}

void QtWindowTest::escapeInTheModelChoiceEnds() {
    Services services;
    QtMainWindow window({}, services.get());
    int shows = 0;
    struct ShowCounter : QObject {
        int& count;
        explicit ShowCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Show ? 1 : 0;
            return false;
        }
    } counter(shows);
    window.installEventFilter(&counter);
    UserScript user;
    user.then(
        "the model list", [] { return shown<QtSelectPrinterDialog>() != nullptr; },
        [] { QTest::keyClick(shown<QtSelectPrinterDialog>()->modelList(), Qt::Key_Escape); });
    user.start();
    QCOMPARE(window.exec(), 1);
    QVERIFY(user.done());
    QCOMPARE(shows, 0);
}

QTEST_MAIN(QtWindowTest)
#include "QtWindowTest.moc"
