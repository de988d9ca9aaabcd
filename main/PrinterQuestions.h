#pragma once
// What both programs need to ask the printer itself, over the system's services: the
// "--identify" run, and the connection and settings "--verify" uses after a transfer.
#include "app/Reporter.h"
#include "app/ToolOptions.h"
#include "engine/PrinterIdentity.h"
#include "engine/PrinterVerification.h"
#include "ports/PortSettings.h"

#include <functional>
#include <memory>

// A connection to the printer on a job's port, or nothing while it cannot be reached.
// Connections to the job's printer for --verify: a USB printer given by its device node is found
// again by its ids and serial number when it comes back on another node.
std::function<std::unique_ptr<PrinterReplies>(const PortSettings&)>
systemPrinterConnector(const std::string& jobPort);

VerifySettings verifySettingsOf(const ToolOptions& options);

// The whole "--identify" run; its exit status.
int identifyOnSystem(const ToolOptions& options, Reporter& reporter);
