#include "ui/qt/QtInteractiveRunner.h"

#include "app/EventLog.h"
#include "app/ExitStatus.h"
#include "ui/qt/QtLook.h"

#include <QApplication>
#include <QGuiApplication>

#include "platform/posix/QuietChild.h"

#include <cstdlib>

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

constexpr const char* kSilentHint =
    "; for a silent download run 'mirelith -s -p NET <address> -m <model> -f <file>' "
    "or put a qemnuv.ini in the current directory";

// The arguments Qt sees: the program's name only, so the program's own options never reach
// Qt's option parser. They must outlive the application object.
int qtArgc = 1;
char qtProgramName[] = "mirelith";
char* qtArgv[] = {qtProgramName, nullptr};

} // namespace

std::string displayUnavailableReason() {
    const std::string platform = environmentValue("QT_QPA_PLATFORM");
    const std::string x11 = environmentValue("DISPLAY");
    const std::string wayland = environmentValue("WAYLAND_DISPLAY");
    if (platform.empty() && x11.empty() && wayland.empty()) {
        return "mirelith: no display for the window (neither DISPLAY nor WAYLAND_DISPLAY is "
               "set)" +
               std::string(kSilentHint);
    }
    // Qt's complaints about the display, or its abort, stay in the child. The probe is never
    // torn down: the child ends at once, and only opening the platform is in question.
    const bool opened = succeedsInQuietChild([] { new QGuiApplication(qtArgc, qtArgv); });
    if (opened) {
        return {};
    }
    std::string where = !platform.empty() ? "the Qt platform '" + platform + "'"
                        : !x11.empty()    ? "the display '" + x11 + "'"
                                          : "the Wayland display '" + wayland + "'";
    return "mirelith: cannot open " + where + " for the window" + kSilentHint;
}

void QtMessageReporter::report(int32_t toFile, LogLevel level, std::string text) {
    if (toFile != 0) {
        fileLog_.report(toFile, level, std::move(text));
        return;
    }
    showMessageBox(nullptr, QString::fromLatin1(EventLog::kCaption), QString::fromStdString(text));
}

QtInteractiveRunner::QtInteractiveRunner(QtInteractiveServices services,
                                         std::function<void(const std::string&)> printLine)
    : services_(services), printLine_(std::move(printLine)) {}

int QtInteractiveRunner::run(const DownloadJob& job) {
    const std::string reason = displayUnavailableReason();
    if (!reason.empty()) {
        printLine_(reason);
        return kExitNoGraphicalMode;
    }
    QApplication application(qtArgc, qtArgv);
    initQtResources();
    QtMessageReporter reporter(services_.reporter);
    QtInteractiveServices windowServices{
        services_.port, services_.socket, services_.printerQueueRedirects,
        reporter,       services_.clock,  services_.usbPrinters};
    QtMainWindow window(job, windowServices);
    return window.exec() == 0 ? kExitNormal : kExitInvalidParameters;
}
