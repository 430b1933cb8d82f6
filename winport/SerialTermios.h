#pragma once
// Line settings through termios2, so that any baud rate works (BOTHER). Kept apart from the
// <termios.h> users: the kernel's and the C library's termios declarations cannot meet in one file.
#include "winport/SerialPort.h"

namespace winport {

// Raw mode with the given settings; 0 or errno.
int ApplyTermiosLine(int fd, const SerialLineSettings& settings);
// 0 or errno.
int ReadTermiosLine(int fd, SerialLineSettings& settings);

}  // namespace winport
