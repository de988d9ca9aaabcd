// mirelith-gui, the Linux program with the window (Qt 6 Widgets). `mirelith` hands an
// interactive run over to it by exec with the same arguments; it runs the same start-up and
// shows the window, or says in one line why there is no display (exit status 4). Any other run
// it is given goes as it would in `mirelith`.
#include "main/posix/LinuxProgram.h"
#include "platform/Clock.h"
#include "ui/UsbPrinterList.h"
#include "ui/qt/QtInteractiveRunner.h"

#include <QtCore/qglobal.h>

int main(int argc, char** argv) {
    LinuxProgram program;
    program.qtVersion = QT_VERSION_STR;
    program.runWindow = [](const WindowRun& run) {
        SystemUsbPrinterSource usbPrinters;
        QtInteractiveRunner window(
            {run.port, run.socket, run.queues, run.log, systemClock(), usbPrinters}, run.printLine);
        return window.run(run.job);
    };
    return runLinuxProgram(argc, argv, program);
}
