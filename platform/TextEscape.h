#pragma once
// Outside text (file names, settings values, model names, system reasons) shown inside one line
// of the log or of the terminal: control characters are written as visible escapes, so that no
// name can end a line early, start a line of its own, or move the terminal's cursor.
#include <string>
#include <string_view>

// CR, LF and TAB as \r, \n, \t; the other control characters (0x00-0x1F, 0x7F) as \xHH.
// Everything else, backslashes included (Windows paths stay as they are), is kept.
std::string escapeForLine(std::string_view text);
