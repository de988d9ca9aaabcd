#include "app/StartupSettings.h"

bool StartupSettings::fillSerialDefaults() {
    applyFixedPortDefaults(portSettings);
    portSettings.reserved1 = 1;
    if (portIsCom) {
        portSettings.dataBits = 8;
        portSettings.stopBits = 0;
        portSettings.parity = 0;
        portSettings.handshake = 0;
        return true;
    }
    return portIsUsb || portIsLpt || portIsNet;
}
