#include "winport/SerialTermios.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <errno.h>

#include <utility>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace winport {

namespace {

tcflag_t DataBitsFlag(int bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// The B constant of a standard rate, so readers of the old interface see it; BOTHER otherwise.
tcflag_t SpeedCode(int baud) {
    static const std::pair<int, tcflag_t> kRates[] = {
        {50, B50},         {75, B75},         {110, B110},        {134, B134},
        {150, B150},       {200, B200},       {300, B300},        {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},      {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},    {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},  {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}};
    for (const auto& [rate, code] : kRates)
        if (rate == baud) return code;
    return BOTHER;
}

}  // namespace

int ApplyTermiosLine(int fd, const SerialLineSettings& s) {
    if (s.dataBits < 5 || s.dataBits > 8 || s.baudRate <= 0) return EINVAL;
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;

    // Raw bytes both ways: CR and LF pass unchanged, no echo, no signals.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CREAD | CLOCAL | DataBitsFlag(s.dataBits);

    switch (s.parity) {
        case SerialParity::None:
            break;
        case SerialParity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case SerialParity::Even:
            t.c_cflag |= PARENB;
            break;
        case SerialParity::Mark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SerialParity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (s.stopBits != SerialStopBits::One) t.c_cflag |= CSTOPB;
    if (s.rtsCtsFlow) t.c_cflag |= CRTSCTS;
    if (s.xonXoffFlow) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    tcflag_t speed = SpeedCode(s.baudRate);
    t.c_cflag |= speed | (speed << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(s.baudRate);
    t.c_ospeed = static_cast<speed_t>(s.baudRate);
    if (ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

int ReadTermiosLine(int fd, SerialLineSettings& s) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    s.baudRate = static_cast<int>(t.c_ospeed);
    switch (t.c_cflag & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    if (!(t.c_cflag & PARENB))
        s.parity = SerialParity::None;
    else if (t.c_cflag & CMSPAR)
        s.parity = (t.c_cflag & PARODD) ? SerialParity::Mark : SerialParity::Space;
    else
        s.parity = (t.c_cflag & PARODD) ? SerialParity::Odd : SerialParity::Even;
    s.stopBits = (t.c_cflag & CSTOPB) ? ((t.c_cflag & CSIZE) == CS5 ? SerialStopBits::OneAndHalf
                                                                    : SerialStopBits::Two)
                                      : SerialStopBits::One;
    s.rtsCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    s.xonXoffFlow = (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    s.xonChar = t.c_cc[VSTART];
    s.xoffChar = t.c_cc[VSTOP];
    return 0;
}

}  // namespace winport
