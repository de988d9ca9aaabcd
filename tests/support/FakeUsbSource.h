#pragma once
// A scripted set of USB device interfaces and registry texts, recording how far discovery looked.
#include "platform/UsbDeviceSource.h"

#include <map>
#include <vector>

struct FakeUsbInterface {
    UsbInterfaceSet::EnumResult result = UsbInterfaceSet::EnumResult::Found;
    std::optional<std::string> path;
    bool openable = true;
};

class FakeUsbSource final : public UsbDeviceSource {
  public:
    std::vector<FakeUsbInterface> interfaces;    // indexes past the end report NoMoreItems
    std::map<std::string, std::string> registry; // key name -> DeviceInstance text
    bool listingFails = false;

    uint32_t highestIndexAsked = 0;
    int setsReleased = 0;
    std::vector<std::string> trialOpens;

    std::unique_ptr<UsbInterfaceSet> openInterfaceSet() override {
        return listingFails ? nullptr : std::make_unique<Set>(*this);
    }
    std::optional<std::string> readDeviceInstance(const std::string& keyName) override {
        const auto found = registry.find(keyName);
        return found == registry.end() ? std::nullopt : std::optional(found->second);
    }

  private:
    class Set final : public UsbInterfaceSet {
      public:
        explicit Set(FakeUsbSource& source) : source_(source) {}
        ~Set() override { ++source_.setsReleased; }

        EnumResult enumerateInterface(uint32_t index) override {
            source_.highestIndexAsked = std::max(source_.highestIndexAsked, index);
            if (index >= source_.interfaces.size()) {
                return EnumResult::NoMoreItems;
            }
            selected_ = index;
            return source_.interfaces[index].result;
        }
        std::optional<std::string> interfacePath() override {
            return source_.interfaces[selected_].path;
        }
        bool trialOpen(const std::string& path) override {
            source_.trialOpens.push_back(path);
            return source_.interfaces[selected_].openable;
        }

      private:
        FakeUsbSource& source_;
        size_t selected_ = 0;
    };
};
