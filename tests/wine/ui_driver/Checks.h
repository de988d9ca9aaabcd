#pragma once
// The driver's pass and fail record: every check prints one line, and the totals decide the
// exit status.
#include <windows.h>

#include <string>

void check(bool condition, const std::string& what);
void checkEqual(const std::string& actual, const std::string& expected, const std::string& what);
// Checks that a window turned up; the steps that need it are skipped when it did not.
bool found(HWND window, const std::string& what);

int checksPassed();
int checksFailed();
