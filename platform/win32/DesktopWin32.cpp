#include "platform/Desktop.h"

#include <windows.h>

namespace {

class Win32Desktop final : public Desktop {
  public:
    void showMessageBox(const std::string& text, const std::string& caption) override {
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
    }
};

} // namespace

Desktop& systemDesktop() {
    static Win32Desktop desktop;
    return desktop;
}
