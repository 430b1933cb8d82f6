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

struct log_state {
    std::mutex mutex;
    int level = 0;
    int fd = -1;
    std::string path;
};

log_state& shared_state() {
    static log_state state;
    return state;
}

std::tm local_now() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

bool write_all(int fd, const char* text, size_t size) {
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
int create_log_file(log_state& s, const char* filename) {
    std::string path = filename ? filename : kDefaultLogName;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return kLogFileError;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return kLogFileError;
    }
    const std::tm t = local_now();
    char banner[kLogLineBytes];
    int n = std::snprintf(banner, sizeof banner,
                          "Lumivert logfile created %02d.%02d.%04d %02d:%02d.%02d\r\n\r\n",
                          t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    if (n <= 0 || !write_all(fd, banner, static_cast<size_t>(n))) {
        ::close(fd);
        ::unlink(path.c_str());
        return kLogFileError;
    }
    s.fd = fd;
    s.path = path;
    return kOk;
}

void write_line(log_state& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void write_line(log_state& s, const char* format, ...) {
    char line[kLogLineBytes];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) write_all(s.fd, line, std::min(static_cast<size_t>(n), sizeof line - 1));
}

void close_locked(log_state& s) {
    if (s.fd < 0) return;
    const std::tm t = local_now();
    write_line(s, "Lumivert logfile ended %02d:%02d.%02d\r\n\r\n", t.tm_hour, t.tm_min, t.tm_sec);
    ::close(s.fd);
    s.fd = -1;
}

}  // namespace

int enable_message_log(int level, const char* filename) {
    log_state& s = shared_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.level = level;
    if (level > 0) {
        if (s.fd < 0) {
            int rc = create_log_file(s, filename);
            if (rc != kOk) return rc;
        }
        write_line(s, "Message Level: %x\r\n", static_cast<unsigned>(level));
    } else {
        close_locked(s);
    }
    return kOk;
}

void log_message(unsigned bits, const char* format, ...) {
    log_state& s = shared_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.fd < 0 || (bits & static_cast<unsigned>(s.level)) == 0) return;
    char line[kLogLineBytes];
    size_t used = 0;
    if (s.level & kLogPrefix) {
        const std::tm t = local_now();
        int n = std::snprintf(line, sizeof line, "board %d %02d:%02d.%02d  ",
                              library().currentBoard.load(), t.tm_hour, t.tm_min, t.tm_sec);
        if (n > 0) used = std::min(static_cast<size_t>(n), sizeof line - 1);
    }
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line + used, sizeof line - used, format, args);
    va_end(args);
    if (n > 0) used = std::min(used + static_cast<size_t>(n), sizeof line - 1);
    write_all(s.fd, line, used);
}

int message_level() {
    std::lock_guard<std::mutex> lock(shared_state().mutex);
    return shared_state().level;
}

bool message_log_open() {
    std::lock_guard<std::mutex> lock(shared_state().mutex);
    return shared_state().fd >= 0;
}

void close_message_log() {
    std::lock_guard<std::mutex> lock(shared_state().mutex);
    close_locked(shared_state());
}

void show_warning(const std::string& text) {
    if (library().showMessages.load()) winport::ShowMessageBox("", text);
}

}  // namespace lmv
