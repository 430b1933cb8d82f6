#include "camera/api/MessageLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "winport/MessageBox.h"

namespace lmv {
namespace {

struct LogState {
    std::mutex mutex;
    int level = 0;
    int fd = -1;
    std::string path;
};

LogState& State() {
    static LogState state;
    return state;
}

std::tm LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

bool WriteAll(int fd, const char* text, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, text, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Created always new, opened by this library alone (an exclusive lock held while it is open).
int CreateLogFile(LogState& s, const char* filename) {
    std::string path = filename ? filename : kDefaultLogName;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return kLogFileError;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return kLogFileError;
    }
    const std::tm t = LocalNow();
    char banner[kLogLineBytes];
    int n = std::snprintf(banner, sizeof banner,
                          "Lumivert logfile created %02d.%02d.%04d %02d:%02d.%02d\r\n\r\n",
                          t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    if (n <= 0 || !WriteAll(fd, banner, static_cast<size_t>(n))) {
        ::close(fd);
        ::unlink(path.c_str());
        return kLogFileError;
    }
    s.fd = fd;
    s.path = path;
    return kOk;
}

void WriteLine(LogState& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void WriteLine(LogState& s, const char* format, ...) {
    char line[kLogLineBytes];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) WriteAll(s.fd, line, std::min(static_cast<size_t>(n), sizeof line - 1));
}

void CloseLocked(LogState& s) {
    if (s.fd < 0) return;
    const std::tm t = LocalNow();
    WriteLine(s, "Lumivert logfile ended %02d:%02d.%02d\r\n\r\n", t.tm_hour, t.tm_min, t.tm_sec);
    ::close(s.fd);
    s.fd = -1;
}

}  // namespace

int EnableMessageLog(int level, const char* filename) {
    LogState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.level = level;
    if (level > 0) {
        if (s.fd < 0) {
            int rc = CreateLogFile(s, filename);
            if (rc != kOk) return rc;
        }
        WriteLine(s, "Message Level: %x\r\n", static_cast<unsigned>(level));
    } else {
        CloseLocked(s);
    }
    return kOk;
}

void LogMessage(unsigned bits, const char* format, ...) {
    LogState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.fd < 0 || (bits & static_cast<unsigned>(s.level)) == 0) return;
    char line[kLogLineBytes];
    size_t used = 0;
    if (s.level & kLogPrefix) {
        const std::tm t = LocalNow();
        int n = std::snprintf(line, sizeof line, "board %d %02d:%02d.%02d  ",
                              Library().currentBoard.load(), t.tm_hour, t.tm_min, t.tm_sec);
        if (n > 0) used = std::min(static_cast<size_t>(n), sizeof line - 1);
    }
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line + used, sizeof line - used, format, args);
    va_end(args);
    if (n > 0) used = std::min(used + static_cast<size_t>(n), sizeof line - 1);
    WriteAll(s.fd, line, used);
}

int MessageLevel() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().level;
}

bool MessageLogOpen() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().fd >= 0;
}

void CloseMessageLog() {
    std::lock_guard<std::mutex> lock(State().mutex);
    CloseLocked(State());
}

void ShowWarning(const std::string& text) {
    if (Library().showMessages.load()) winport::ShowMessageBox("", text);
}

}  // namespace lmv
