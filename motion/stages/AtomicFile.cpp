#include "motion/stages/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

std::string SystemError(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closing can report a delayed write error, so it is checked where data was written.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

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

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".tmp" + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1));
}

bool WriteAll(int fd, std::span<const uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: the rename itself has already succeeded
    ::close(fd);
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& content,
                             std::string& error) {
    content.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return FileReadResult::Missing;
        error = SystemError("cannot open", path);
        return FileReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file: " + path;
        return FileReadResult::Failed;
    }
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
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
    const std::string temporary = TemporaryName(target);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        error = SystemError("cannot create", temporary);
        return false;
    }
    struct stat old {};
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0) {
        error = SystemError("cannot set the permissions of", temporary);
        ok = false;
    }
    if (ok && !WriteAll(fd.get(), data)) {
        error = SystemError("cannot write", temporary);
        ok = false;
    }
    if (ok && ::fsync(fd.get()) != 0) {
        error = SystemError("cannot flush", temporary);
        ok = false;
    }
    if (!fd.Close() && ok) {
        error = SystemError("cannot close", temporary);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = SystemError("cannot replace", target);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}
