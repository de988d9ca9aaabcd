#include "platform/UsageSections.h"

const UsageSections& usageSections() {
    static const UsageSections sections{
        "mirelith --help | --version",
        "",
        R"(Ports (-p, PORTTYPE):
  COMn, \\.\COMn   serial port n (COM10 and above are opened as \\.\COMn)
  LPTn             parallel port n
  USB              the first attached USB printer of the model
  NET ADDRESS      TCP to ADDRESS, port 9100 or -tcpport (PORTTYPE=NET takes IP and TCPPORT)
)",
        R"(Where the log is:
  beside the program when its folder may be written (a copy run from a folder of
  your own); otherwise, as for a program installed in Program Files,
  %LOCALAPPDATA%\Mirelith\ (made when needed). The print queue journals go there too.
)",
        "  3  interrupted by Ctrl+C or Ctrl+Break (print queues restored first)\n",
    };
    return sections;
}
