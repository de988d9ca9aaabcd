#include "platform/Desktop.h"

#include <windows.h>

namespace {

class Win32Desktop final : public Desktop {
  public:
    void showMessageBox(const std::string& text, const std::string& caption) override {
        // No owner, yet the main window is kept above other windows: the box must come above
        // it and take the input, or a click meant for its OK lands on the main window. The
        // system-modal kind is the ownerless box with the topmost style (and disables nothing);
        // Wine honours it where it ignores MB_TOPMOST.
        MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                    MB_OK | MB_SYSTEMMODAL | MB_SETFOREGROUND);
    }
};

} // namespace

Desktop& systemDesktop() {
    static Win32Desktop desktop;
    return desktop;
}
