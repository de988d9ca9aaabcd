#pragma once
// A connection to ask a printer questions on, made from a job's port settings: a TCP stream to
// a network printer, or the serial, parallel or USB port opened with its reader.
#include "engine/PrinterIdentity.h"
#include "platform/DeviceFactory.h"
#include "platform/NetSocket.h"
#include "ports/PortSettings.h"

#include <memory>
#include <string>

struct PrinterConnectionServices {
    SocketFactory& sockets;
    DeviceFactory& devices;
    Clock& clock;
};

// Nothing when the port cannot be opened or the printer not connected; `why` then says so in
// the connection's own words.
std::unique_ptr<PrinterReplies> connectToPrinter(const PortSettings& settings,
                                                 PrinterConnectionServices services,
                                                 std::string& why);
