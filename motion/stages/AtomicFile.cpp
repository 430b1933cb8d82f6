#include "motion/stages/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

#include "winport/AtomicWrite.h"
#include "winport/UniqueFd.h"

namespace {

std::string SystemError(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// The file a write really goes to: the target of a symbolic link, else the path itself.
std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".NAME.tmp" + writer's process number + "." + a counter; stale ones are recognised by it.
std::string TemporaryPrefix(const std::string& path) {
    return "." + NameOf(path) + ".tmp";
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + TemporaryPrefix(path) + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1));
}

// The process number a temporary file name carries, or -1 when the name is not one of ours.
long WriterOf(const std::string& entry, const std::string& prefix) {
    if (entry.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string rest = entry.substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || dot + 1 == rest.size()) return -1;
    if (rest.find_first_not_of("0123456789") != dot) return -1;
    if (rest.find_first_not_of("0123456789", dot + 1) != std::string::npos) return -1;
    return dot > 9 ? -1 : std::stol(rest.substr(0, dot));
}

long long BootTime() {
    std::ifstream machine("/proc/stat");
    std::string key;
    long long seconds = 0;
    while (machine >> key)
        if (key == "btime" && machine >> seconds) return seconds;
    return 0;
}

// Seconds since the epoch at which process pid started; -1 when it does not run.
double ProcessStartTime(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return -1;
    const std::size_t close = line.rfind(')');  // the command name may hold spaces
    if (close == std::string::npos || close + 2 > line.size()) return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int k = 3; k <= 22; ++k)  // field 22 is the start time in clock ticks after boot
        if (!(fields >> field)) return -1;
    const double ticks = std::strtod(field.c_str(), nullptr);
    return static_cast<double>(BootTime()) + ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

bool WriterIsGone(long pid, const struct stat& file) {
    if (pid == ::getpid()) return false;
    const double started = ProcessStartTime(pid);
    // A process that started after the file was written reuses the number; one second of slack
    // for the coarse start time.
    return started < 0 || started > static_cast<double>(file.st_mtim.tv_sec) + 1.0;
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& content,
                             std::string& error) {
    content.clear();
    const winport::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (errno == ENOENT) return FileReadResult::Missing;
        error = SystemError("cannot open", path);
        return FileReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file: " + path;
        return FileReadResult::Failed;
    }
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = SystemError("cannot read", path);
            return FileReadResult::Failed;
        }
        content.insert(content.end(), chunk, chunk + n);
    }
    return FileReadResult::Ok;
}

bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> data,
                         std::string& error) {
    const std::string target = WriteTarget(path);
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    winport::AtomicWriteOptions options;
    options.temporaryPath = TemporaryName(target);  // recognised by RemoveStaleTemporaryFiles
    const winport::AtomicWriteResult written = winport::WriteFileAtomically(target, bytes, options);
    if (!written.ok) error = written.message;
    return written.ok;
}

FileWriteLock::FileWriteLock(const std::string& path) {
    const std::string lockPath = FolderOf(WriteTarget(path));
    winport::UniqueFd fd(::open(lockPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        error_ = SystemError("cannot open", lockPath);
        return;
    }
    int rc;
    while ((rc = ::flock(fd.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        error_ = SystemError("cannot lock", lockPath);
        return;
    }
    fd_ = std::move(fd);
    RemoveStaleTemporaryFiles(path);
}

FileWriteLock::~FileWriteLock() = default;  // closing the folder releases the lock

void RemoveStaleTemporaryFiles(const std::string& path) {
    const std::string target = WriteTarget(path);
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = WriterOf(entry->d_name, prefix);
        if (pid <= 0) continue;
        const std::string stale = folder + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode) && WriterIsGone(pid, st))
            ::unlink(stale.c_str());
    }
    ::closedir(dir);
}
