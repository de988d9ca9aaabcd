// The Qt window as a user meets it, on Qt's offscreen platform: choose a model, configure
// Ethernet to printer-sim, pick the file in the file dialog, download, acknowledge the
// completion notice, open About, leave with Exit; the printer must have the file byte for byte.
// Also the configuration dialog's widgets and keys, Escape in the model choice, and a window that
// goes on painting and opening dialogs while the printer is slow to take the connection and the
// image. The presenters' rules have their own unit tests; this checks that the widgets carry them.
//
// With MIRELITH_SCREENSHOT_DIR set, each window is also saved there as linux-*.png.
#include "platform/Clock.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "printqueues/QueueRedirection.h"
#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/qt/QtImageButton.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtPortConfigDialog.h"
#include "ui/qt/QtSmallDialogs.h"

#include <QTest>
#include <QtWidgets>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// Records a failed check and goes on, so that the walk reaches its end and reports the rest.
#define CHECK(condition)                                                                           \
    QTest::qVerify(static_cast<bool>(condition), #condition, "", __FILE__, __LINE__)

namespace {

// A user's script: each step waits until the window shows what it needs, then acts. Steps run
// from the event loop, so an action that opens a modal dialog simply blocks while the next
// steps run inside that dialog's loop.
class UserScript {
  public:
    void then(const char* what, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({what, std::move(ready), std::move(act)});
    }
    void start() {
        clock_.start();
        QTimer::singleShot(0, &context_, [this] { tick(); });
    }
    bool done() const { return next_ == steps_.size(); }

  private:
    struct Step {
        const char* what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void tick() {
        if (done()) {
            return;
        }
        // A step that never comes leaves modal loops nobody ends: stop, saying which step.
        if (clock_.elapsed() > 120'000) {
            qFatal("gave up waiting for %s", steps_[next_].what);
        }
        const bool ready = steps_[next_].ready();
        QTimer::singleShot(ready ? 0 : 20, &context_, [this] { tick(); });
        if (ready) {
            steps_[next_++].act();
        }
    }

    // Ticks still pending when the script goes are dropped with it.
    QObject context_;
    std::vector<Step> steps_;
    size_t next_ = 0;
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

template <typename T> bool isShown() {
    return shown<T>() != nullptr;
}

std::function<bool()> isVisible(QWidget& widget) {
    return [&widget] { return widget.isVisible(); };
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
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
struct ScriptedUsb final : UsbPrinterSource {
    std::vector<std::string> attachedPrinterPaths(int32_t) override {
        return answers.empty() ? std::vector<std::string>()
                               : answers[std::min(calls++, answers.size() - 1)];
    }
    std::vector<std::vector<std::string>> answers;
    size_t calls = 0;
};

// A printer connection whose connect and send each wait until the test lets them go, with
// success or failure, or give up after 10 s: a window that handles no event while it waits
// never lets them go, and its test fails instead of hanging.
class HeldConnection final : public NetConnection {
  public:
    enum class Call { None, Connect, Send };

    int32_t create() override { return 1; }
    int32_t connect(const std::string&, int32_t) override { return hold(Call::Connect) ? 1 : 0; }
    int32_t send(const uint8_t*, int32_t length, int32_t) override {
        return hold(Call::Send) ? length : -1;
    }
    void close() override {}
    void detach() override {}

    Call pending() {
        std::lock_guard lock(mutex_);
        return pending_;
    }
    void letGo(bool succeed) {
        std::lock_guard lock(mutex_);
        answer_ = succeed;
        pending_ = Call::None;
        wake_.notify_all();
    }
    // The calls the test let go (rather than given up), in order.
    std::vector<Call> letGoCalls() {
        std::lock_guard lock(mutex_);
        return letGo_;
    }

  private:
    bool hold(Call call) {
        std::unique_lock lock(mutex_);
        pending_ = call;
        if (!wake_.wait_for(lock, std::chrono::seconds(10),
                            [&] { return pending_ == Call::None; })) {
            pending_ = Call::None;
            return false;
        }
        letGo_.push_back(call);
        return answer_;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    Call pending_ = Call::None;
    bool answer_ = false;
    std::vector<Call> letGo_;
};

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The firmware file the user picks, in dir; empty when it could not be written.
QString firmwareFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.path() + QStringLiteral("/fw.fls");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

struct Services {
    PortDriver port{systemDeviceFactory(), systemClock()};
    NetPort socket{systemSocketFactory()};
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
    void escapeInTheModelChoiceEndsBeforeTheWindowShows();
    void theWindowLivesWhileTheConnectionWaits();
};

void QtWindowTest::downloadOverEthernet() {
    QTemporaryDir dir;
    QByteArray image(150001, Qt::Uninitialized);
    std::generate(image.begin(), image.end(), [i = 0]() mutable { return char(i++ * 131 + 7); });
    const QString firmware = firmwareFile(dir, image);
    QVERIFY(!firmware.isEmpty());
    // printer-sim on 127.0.0.1; its first line names the port: "tcp=PORT".
    QProcess sim;
    sim.start(PRINTER_SIM_PATH, {"--tcp", "--output", dir.path() + "/received.bin"});
    QVERIFY2(QTest::qWaitFor([&] { return sim.canReadLine(); }), "printer-sim did not start");
    const QString simPort = sim.readLine().mid(4).trimmed();

    Services services;
    QtMainWindow window({}, services.get());
    UserScript user;
    const auto help = [&] { return window.helpLine()->text(); };
    const auto helpSays = [&](const char* text) { return [&, text] { return help() == text; }; };
    // Which of the four buttons are enabled, as "1" or "0" each.
    const auto buttons = [&] {
        QString states;
        for (int id :
             {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
            states += window.button(id)->isEnabled() ? '1' : '0';
        }
        return states;
    };

    user.then("the model list", isShown<QtSelectPrinterDialog>, [] {
        QtSelectPrinterDialog* choice = shown<QtSelectPrinterDialog>();
        QListWidget* list = choice->modelList();
        // The whole list within the lines of its group frame, the bottom one included.
        const auto* frame = choice->findChild<QFrame*>("groupFrame");
        const int line = frame != nullptr ? frame->frameWidth() : 0;
        CHECK(frame != nullptr &&
              frame->geometry().adjusted(line, line, -line, -line).contains(list->geometry()));
        saveScreenshot(choice, "select");
        const QRect entry =
            list->visualItemRect(list->findItems("T90 Prime", Qt::MatchExactly).value(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    });
    user.then("the main window", isVisible(window), [&] {
        CHECK(window.engine().modelCode == 1112); // the clicked entry, T90 Prime
        click(window.button(IDC_MAIN_CONFIGURATION));
    });
    user.then("the configuration dialog", isShown<QtPortConfigDialog>, [&] {
        QtPortConfigDialog* config = shown<QtPortConfigDialog>();
        click(config->control(IDC_RADIO_ETHERNET));
        auto* ip = dynamic_cast<QtIpAddressField*>(config->control(IDC_IP_ADDRESS));
        const char* parts[] = {"127", "0", "0", "1"};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClicks(ip->part(i), parts[i]);
        }
        auto* tcpPort = qobject_cast<QLineEdit*>(config->control(IDC_TCP_PORT));
        tcpPort->selectAll();
        QTest::keyClicks(tcpPort, simPort);
        saveScreenshot(config, "config");
        click(config->control(IDC_CONFIG_OK));
    });
    user.then("the configuration accepted", helpSays("HELP : Select Firmware File."), [&] {
        CHECK(buttons() == "1101");
        click(window.button(IDC_MAIN_SELECT_FW));
    });
    user.then("the file dialog", isShown<QFileDialog>, [&] {
        QFileDialog* files = shown<QFileDialog>();
        CHECK(files->nameFilters() == QStringList{"Firmware File(*.fls)"});
        // Pasted whole: typed a character at a time, each "/" would open that directory.
        files->findChild<QLineEdit*>("fileNameEdit")->setText(firmware);
        auto* buttonBox = files->findChild<QDialogButtonBox*>("buttonBox");
        QTest::mouseClick(buttonBox->button(QDialogButtonBox::Open), Qt::LeftButton);
    });
    user.then("the file chosen", helpSays("HELP : Ready firmware download."), [&] {
        click(window.button(IDC_MAIN_DOWNLOAD));
        CHECK(help() == "HELP : firmware downloading....");
        CHECK(buttons() == "0000");
    });
    // The clean-up step comes while the notice is open: the main window is shot after it.
    const auto noticeOverFinishedWindow = [&] {
        return isShown<QtCompletionDialog>() && help() == "HELP : Finished firmware download.";
    };
    user.then("the completion notice", noticeOverFinishedWindow, [&] {
        CHECK(window.grab().toImage().pixelColor(140, 205) == toQColor(kProgressFill));
        saveScreenshot(&window, "main");
        saveScreenshot(shown<QtCompletionDialog>(), "completion");
        click(shown<QtCompletionDialog>()->okButton());
    });
    user.then("the finished help line", helpSays("HELP : Finished firmware download."), [&] {
        CHECK(buttons() == "1111");
        const QPoint where(40, 60);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, where, window.mapToGlobal(where));
        QApplication::sendEvent(&window, &menu);
    });
    user.then("the window's menu", isShown<QMenu>, [] {
        QMenu* menu = shown<QMenu>();
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().value(0)).center());
    });
    user.then("the About box", isShown<QtAboutDialog>, [&] {
        QtAboutDialog* about = shown<QtAboutDialog>();
        CHECK(about->windowTitle() == "About Mirelith");
        saveScreenshot(about, "about");
        QTest::mouseClick(about->findChild<QPushButton*>(), Qt::LeftButton);
    });
    user.then(
        "the About box closed", [] { return !isShown<QtAboutDialog>(); },
        [&] { click(window.button(IDC_MAIN_EXIT)); });

    user.start();
    QCOMPARE(window.exec(), 0);
    QVERIFY(user.done());
    QCOMPARE(services.reporter.reports, QStringList());
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QFile received(dir.path() + "/received.bin");
    QVERIFY(received.open(QIODevice::ReadOnly) && received.readAll() == image);
}

void QtWindowTest::portDialogThroughItsWidgets() {
    const std::string second = "\\\\?\\usb#vid_f0b0&pid_0002#2#{a5dcbf10}";
    // The first search finds nothing, the next two printers.
    ScriptedUsb usb;
    usb.answers = {{}, {"\\\\?\\usb#vid_f0b0&pid_0002#1#{a5dcbf10}", second}};
    QtPortConfigDialog dialog(usb, nullptr);
    dialog.presenter().modelCode = 1032; // no Ethernet for this model
    dialog.presenter().setValues({"\\\\?\\usb#old", 9600, 8, 0, 0, 0, 1});
    auto* ports = qobject_cast<QComboBox*>(dialog.control(IDC_PORT_COMBO));
    UserScript user;

    user.then("the USB fall-back message", isShown<QMessageBox>, [] {
        QMessageBox* box = shown<QMessageBox>();
        CHECK(box->text() == "Not Connect USB Printer");
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    user.then("the dialog on COM", isVisible(dialog), [&] {
        CHECK(qobject_cast<QRadioButton*>(dialog.control(IDC_RADIO_COM))->isChecked());
        CHECK(!dialog.control(IDC_RADIO_ETHERNET)->isEnabled());
        CHECK(!dialog.control(IDC_IP_ADDRESS)->isVisible());
        // Dragged by its background (offscreen there is no window manager to do it).
        const QPoint before = dialog.pos();
        QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseMove(&dialog, QPoint(30, 40));
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(30, 40));
        CHECK(dialog.pos() - before == QPoint(27, 37));
        // Neither key accepts nor cancels, whichever control has the focus.
        ports->setFocus();
        QTest::keyClick(ports, Qt::Key_Escape);
        QTest::keyClick(ports, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        CHECK(dialog.isVisible());
        click(dialog.control(IDC_RADIO_USB));
        CHECK(ports->count() == 2 && ports->itemText(1) == "USB002:");
        QTest::keyClick(ports, Qt::Key_Down);
        click(dialog.control(IDC_CONFIG_OK));
    });

    user.start();
    QVERIFY(dialog.runModal());
    QVERIFY(user.done());
    QCOMPARE(dialog.presenter().portName, second);
}

void QtWindowTest::aDevicePathTypedIntoThePortList() {
    ScriptedUsb usb;
    QtPortConfigDialog dialog(usb, nullptr);
    dialog.presenter().setValues({"COM1", 9600, 8, 0, 0, 0, 1});
    QLineEdit* typed = qobject_cast<QComboBox*>(dialog.control(IDC_PORT_COMBO))->lineEdit();
    UserScript user;
    user.then("the dialog on COM", isVisible(dialog), [&] {
        typed->selectAll();
        QTest::keyClicks(typed, "/dev/ttyUSB0");
        click(dialog.control(IDC_CONFIG_OK));
    });
    user.start();
    QVERIFY(dialog.runModal());
    QVERIFY(user.done());
    QCOMPARE(dialog.presenter().portName, std::string("/dev/ttyUSB0"));
}

void QtWindowTest::escapeInTheModelChoiceEndsBeforeTheWindowShows() {
    Services services;
    QtMainWindow window({}, services.get());
    UserScript user;
    user.then("the model list", isShown<QtSelectPrinterDialog>,
              [] { QTest::keyClick(shown<QtSelectPrinterDialog>()->modelList(), Qt::Key_Escape); });
    user.start();
    QCOMPARE(window.exec(), 1);
    QVERIFY(user.done());
    // A window once shown keeps its platform window, hidden or not.
    QVERIFY(window.windowHandle() == nullptr);
}

void QtWindowTest::theWindowLivesWhileTheConnectionWaits() {
    QTemporaryDir dir;
    const QString firmware = firmwareFile(dir, QByteArray(5000, 'x'));
    QVERIFY(!firmware.isEmpty());
    Services services;
    HeldConnection printer;
    using Call = HeldConnection::Call;
    QtMainWindow window({}, {services.port, printer, services.queues, services.reporter,
                             systemClock(), services.usb});
    const PaintCounter paints(window);
    int paintsBefore = 0;
    UserScript user;
    const auto pending = [&](Call call) {
        return [&printer, call] { return printer.pending() == call; };
    };
    const auto repaintWindow = [&] {
        paintsBefore = paints.count;
        window.update();
    };
    const auto repainted = [&] { return paints.count > paintsBefore; };

    user.then("the model list", isShown<QtSelectPrinterDialog>, [] {
        QListWidget* list = shown<QtSelectPrinterDialog>()->modelList();
        list->setCurrentRow(1);
    });
    user.then("the main window", isVisible(window), [&] {
        MainDialog& engine = window.engine();
        engine.portSettings.portName = "127.0.0.1";
        engine.portSettings.baudRate = 9100;
        engine.firmwarePath = firmware.toStdString();
        // As the Download button does; this returns once the download has started.
        engine.onDownloadClicked();
    });
    user.then("the connect waiting", pending(Call::Connect), repaintWindow);
    user.then("a repaint while it waits", repainted, [&] {
        CHECK(window.helpLine()->text() == "HELP : firmware downloading....");
        showMessageBox(&window, "QEM_NUV", "while connecting");
    });
    user.then("a message box while it waits", isShown<QMessageBox>, [] {
        QTest::mouseClick(shown<QMessageBox>()->button(QMessageBox::Ok), Qt::LeftButton);
    });
    user.then(
        "the message box closed", [] { return !isShown<QMessageBox>(); },
        [&] { printer.letGo(true); });
    user.then("the send waiting", pending(Call::Send), repaintWindow);
    user.then("a repaint while the send waits", repainted, [&] { printer.letGo(false); });
    user.then(
        "the download's end",
        [&] { return window.helpLine()->text() == "HELP : Finished firmware download."; },
        [&] { click(window.button(IDC_MAIN_EXIT)); });

    user.start();
    QCOMPARE(window.exec(), 0);
    QVERIFY(user.done());
    QVERIFY(printer.letGoCalls() == std::vector<Call>({Call::Connect, Call::Send}));
    QCOMPARE(services.reporter.reports, QStringList{"Write Failed!"});
}

QTEST_MAIN(QtWindowTest)
#include "QtWindowTest.moc"
