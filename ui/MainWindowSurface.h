#pragma once
// What the main window's interactive steps need of the real window.
#include <cstdint>
#include <string>

class MainWindowSurface {
  public:
    virtual ~MainWindowSurface() = default;
    virtual void enableControl(int32_t controlId, bool enabled) = 0;
    // Stores the help line and refreshes control 1004 from it.
    virtual void setHelpText(const std::string& text) = 0;
    // Shows the model picture with that bitmap id in control 1017.
    virtual void showModelPicture(int32_t bitmapId) = 0;
    // The banner line at the top of the window (control 1011).
    virtual std::string bannerText() = 0;
    virtual void setBannerText(const std::string& text) = 0;
};
