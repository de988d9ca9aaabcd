#pragma once
// A modal message for the user with one OK button. On Windows a message box without owner;
// on Linux, until a graphical front end exists, one line on standard error.
#include <string>

class Desktop {
  public:
    virtual ~Desktop() = default;
    // Returns when the user has acknowledged the message.
    virtual void showMessageBox(const std::string& text, const std::string& caption) = 0;
};

Desktop& systemDesktop();
