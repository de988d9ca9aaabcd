// The device list with this program's model knowledge: the USB identifier table decides which
// model a USB printer is, the model table which models have names.
#include "models/ModelTable.h"
#include "platform/posix/DeviceList.h"
#include "ports/UsbIdTable.h"

int printDeviceList(std::FILE* out) {
    DeviceListModels models;
    models.usbModelOf = [](const std::string& interfacePath) {
        return activeUsbIdTables().lowerCase.match(interfacePath);
    };
    models.modelName = [](int32_t code) { return std::string(modelRow(code).name); };
    for (const ModelRow& row : namedModelRows()) {
        models.namedModels.emplace_back(std::string(row.name), row.code);
    }
    return printDeviceList(out, models);
}
