#include "app/StartupSettings.h"

bool StartupSettings::fillSerialDefaults() {
    portSettings.timeouts = PortTimeouts{10, 10, 10, 0, 0};
    portSettings.readBufferSize = 8192;
    portSettings.spareBufferSize = 4096;
    portSettings.reserved1 = 1;
    portSettings.reserved2 = 0;
    portSettings.reserved3 = 3000;
    portSettings.reserved4 = 0;
    portSettings.reserved5 = 0;
    if (portIsCom) {
        portSettings.dataBits = 8;
        portSettings.stopBits = 0;
        portSettings.parity = 0;
        portSettings.handshake = 0;
        return true;
    }
    return portIsUsb || portIsLpt || portIsNet;
}
