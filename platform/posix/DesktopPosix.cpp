#include "platform/Desktop.h"
#include "platform/TextEscape.h"

#include <cstdio>

namespace {

class PosixDesktop final : public Desktop {
  public:
    void showMessageBox(const std::string& text, const std::string& caption) override {
        // One line per message: line breaks inside the text become blanks.
        std::string line = caption.empty() ? text : caption + ": " + text;
        for (char& c : line) {
            if (c == '\r' || c == '\n') {
                c = ' ';
            }
        }
        // The other control characters would drive the terminal: they are shown escaped.
        line = escapeForLine(line) + '\n';
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
};

} // namespace

Desktop& systemDesktop() {
    static PosixDesktop desktop;
    return desktop;
}
