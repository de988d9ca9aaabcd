#include "tests/wine/ui_driver/Checks.h"

#include <cstdio>

namespace {
int passed = 0;
int failed = 0;
} // namespace

void check(bool condition, const std::string& what) {
    if (condition) {
        ++passed;
        std::printf("ok: %s\n", what.c_str());
    } else {
        ++failed;
        std::printf("FAIL: %s\n", what.c_str());
    }
    std::fflush(stdout);
}

void checkEqual(const std::string& actual, const std::string& expected, const std::string& what) {
    check(actual == expected, what + " (got \"" + actual + "\", expected \"" + expected + "\")");
}

bool found(HWND window, const std::string& what) {
    check(window != nullptr, what);
    return window != nullptr;
}

int checksPassed() {
    return passed;
}

int checksFailed() {
    return failed;
}
