// The device list with this program's model knowledge: the USB identifier table decides which
// model a USB printer is, the model table which models have names.
#include "app/ModelTable.h"
#include "platform/posix/DeviceList.h"
#include "ports/UsbIdTable.h"

int printDeviceList(std::FILE* out) {
    DeviceListModels models;
    models.usbModelOf = [](const std::string& interfacePath) {
        return activeUsbIdTables().lowerCase.match(interfacePath);
    };
    models.modelName = [](int32_t code) {
        for (const ModelEntry& entry : ModelTable::entries) {
            if (entry.modelCode == code) {
                return std::string(entry.modelName);
            }
        }
        return std::string();
    };
    for (const ModelEntry& entry : ModelTable::entries) {
        models.namedModels.emplace_back(std::string(entry.modelName), entry.modelCode);
    }
    return printDeviceList(out, models);
}
