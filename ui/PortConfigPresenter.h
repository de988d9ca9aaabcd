#pragma once
// Every rule of the port configuration dialog: which port type it opens on, the lists it
// fills, which port types a model may use, and what OK writes back.
#include "models/PortKind.h"
#include "ui/MainWindowRules.h"
#include "ui/PortConfigView.h"
#include "ui/UsbPrinterList.h"

#include <cstdint>
#include <string>
#include <vector>

// The port type a port name stands for.
int32_t portTypeIndexFor(const std::string& portName);

// Whether the radio button of a port kind may be used with a model (its model table row).
bool portTypeAllowed(int32_t modelCode, PortKind type);

enum class DialogOutcome { StayOpen, Accepted, Cancelled };

class PortConfigPresenter {
  public:
    PortConfigPresenter(PortConfigView& view, UsbPrinterSource& usb);

    // In and out values, named as the dialog names them.
    int32_t modelCode = 0;
    std::string portName;
    int32_t reserved1 = 1;
    int32_t handshake = 0;
    int32_t baudRate = 0;
    int32_t dataBits = 0;
    int32_t parity = 0;
    int32_t stopBits = 0;
    std::vector<UsbDeviceEntry> usbDevices;
    int32_t portTypeIndex = -1;
    int32_t tcpPortValue = 0;

    void setValues(const PortConfigValues& values);
    PortConfigValues values() const;

    // Dialog initialisation (before the buttons are attached and after).
    void initialize();
    void fillPortControls();

    void onComSelected();
    void onLptSelected();
    void onUsbSelected();
    void onEthernetSelected();

    // The OK button: writes the choice back and says how the dialog ends.
    DialogOutcome onOk();

  private:
    void push();
    bool readBack();
    void clearSettingLists();
    void saveSelection(bool& cancelled);
    void enableRadioButtons();

    PortConfigView& view_;
    UsbPrinterSource& usb_;
};
