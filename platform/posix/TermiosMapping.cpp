#include "platform/posix/TermiosMapping.h"

#include <array>
#include <utility>

namespace {
constexpr std::array<std::pair<uint32_t, speed_t>, 19> kSpeeds{{
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
}};
} // namespace

speed_t speedForBaudRate(uint32_t baudRate) {
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baudRate) {
            return speed;
        }
    }
    return B0;
}

std::string supportedBaudRatesText() {
    std::string text;
    for (const auto& [rate, speed] : kSpeeds) {
        text += (text.empty() ? "" : ", ") + std::to_string(rate);
    }
    return text;
}

uint32_t baudRateForSpeed(speed_t speed) {
    for (const auto& [rate, s] : kSpeeds) {
        if (s == speed) {
            return rate;
        }
    }
    return 0;
}

bool applyLineSettings(const SerialLineSettings& settings, termios& tio) {
    const speed_t speed = speedForBaudRate(settings.baudRate);
    if (speed == B0 || settings.byteSize < 5 || settings.byteSize > 8 || settings.parity > 4 ||
        settings.stopBits > 2) {
        return false;
    }
    // Raw bytes: no line editing, echo, signals or character translation.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;

    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[settings.byteSize - 5];
    switch (settings.parity) {
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        break;
    case 3:
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (settings.checkParity && settings.parity != 0) {
        tio.c_iflag |= INPCK;
    }
    // One and a half stop bits exist only with 5 data bits, where CSTOPB gives exactly that.
    if (settings.stopBits != 0) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.outxCtsFlow || settings.rtsControl == RtsControl::Handshake) {
        tio.c_cflag |= CRTSCTS;
    }
    if (settings.outX) {
        tio.c_iflag |= IXON;
    }
    if (settings.inX) {
        tio.c_iflag |= IXOFF;
    }
    // Reads are paced by poll(), so read() itself never waits.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return true;
}

SerialLineSettings lineSettingsFrom(const termios& tio) {
    SerialLineSettings s;
    s.baudRate = baudRateForSpeed(cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        s.byteSize = 5;
        break;
    case CS6:
        s.byteSize = 6;
        break;
    case CS7:
        s.byteSize = 7;
        break;
    default:
        s.byteSize = 8;
        break;
    }
    if (tio.c_cflag & PARENB) {
        const bool odd = (tio.c_cflag & PARODD) != 0;
        if (tio.c_cflag & CMSPAR) {
            s.parity = odd ? 3 : 4;
        } else {
            s.parity = odd ? 1 : 2;
        }
    }
    s.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;
    s.checkParity = (tio.c_iflag & INPCK) != 0;
    s.outxCtsFlow = (tio.c_cflag & CRTSCTS) != 0;
    s.rtsControl = s.outxCtsFlow ? RtsControl::Handshake : RtsControl::Enable;
    s.outX = (tio.c_iflag & IXON) != 0;
    s.inX = (tio.c_iflag & IXOFF) != 0;
    return s;
}
