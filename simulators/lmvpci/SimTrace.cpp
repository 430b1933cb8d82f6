#include "simulators/lmvpci/SimTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "simulators/lmvpci/SimConfig.h"

namespace lmvpci {

std::string HexBytes(const void* data, uint32_t size) {
    if (!data || size == 0) return "-";
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < size; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0xF]);
    }
    return text;
}

std::string IoctlLine(int board, uint32_t code, const void* in, uint32_t inSize, const void* out,
                      uint32_t outSize) {
    char head[48];
    std::snprintf(head, sizeof head, "%d ioctl 0x%06x in=", board, code);
    return head + HexBytes(in, inSize) + " out=" + HexBytes(out, outSize) + "\n";
}

std::string ReadLine(int board, uint32_t bytes) {
    return std::to_string(board) + " read " + std::to_string(bytes) + "\n";
}

void Trace(const std::string& line) {
    const std::string path = TracePath();
    if (path.empty()) return;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t n = ::write(fd, line.data(), line.size());
    (void)n;
    ::close(fd);
}

}  // namespace lmvpci
