#include "platform/UsageSections.h"

const UsageSections& usageSections() {
    static const UsageSections sections{
        "mirelith --list | --help | --version | -V",
        R"(  --list           show serial and parallel ports, USB printers and their print queues,
                   whether you may open each, and the model names
)",
        R"(Ports (-p, PORTTYPE):
  COMn, \\.\COMn   serial port n: /dev/ttyS(n-1), or the device named by MIRELITH_COMn
  LPTn             parallel port n: /dev/lp(n-1), or the device named by MIRELITH_LPTn
  USB              the first attached USB printer (usblp, /dev/usb/lpN) of the model
  NET ADDRESS      TCP to ADDRESS, port 9100 or -tcpport (PORTTYPE=NET takes IP and TCPPORT)
  /dev/tty*        a serial device such as /dev/ttyUSB0 or /dev/ttyACM0 (serial defaults)
  /dev/lp*         a parallel printer device
  /dev/usb/lp*     a USB printer device
)",
        R"(Environment:
  MIRELITH_COMn, MIRELITH_LPTn
                   the device for port COMn or LPTn (a USB serial adapter, a pty)
  MIRELITH_SYSFS_ROOT, MIRELITH_DEV_ROOT
                   where USB printers are looked for (default /sys and /dev)
  CUPS_SERVER      the CUPS server whose queues on the printer are paused meanwhile
  XDG_STATE_HOME   an installed program logs to $XDG_STATE_HOME/mirelith/
                   (default ~/.local/state/mirelith/; root: /var/log/mirelith/)
)",
        "  3  interrupted by SIGINT, SIGTERM or SIGHUP (print queues restored first)\n",
    };
    return sections;
}
