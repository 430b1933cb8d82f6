// The hive files: where they live, reading with a change-checked cache, and locked atomic writes.
#include "winport/RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "winport/AtomicWrite.h"
#include "winport/UniqueFd.h"

namespace winport {
namespace reg {
namespace {

thread_local RegStatus tLastStatus = RegStatus::Ok;
// A plain array, not a string: the main thread's thread-locals are destroyed before a library's
// unload object runs at exit, and that object may still fail a registry call.
constexpr std::size_t kLastErrorSize = 1024;
thread_local char tLastError[kLastErrorSize];

void SetLastError(const std::string& message) {
    const std::size_t n = std::min(message.size(), kLastErrorSize - 1);
    std::memcpy(tLastError, message.data(), n);
    tLastError[n] = '\0';
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool ReadAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, size_t(n));
    }
}

// What a file was when it was read: a rename gives a new inode, an edit in place a new time.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};
    bool operator==(const FileId& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
               ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

FileId IdOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

struct CacheEntry {
    std::string path;
    FileId id;
    std::shared_ptr<const Node> root;
};

// Never destroyed: a library's unload object may still read the registry at exit, after this
// file's own statics would have been torn down.
struct Cache {
    std::mutex mutex;
    CacheEntry entries[2];
};

Cache& TheCache() {
    static Cache* const cache = new Cache;
    return *cache;
}

CacheEntry& CacheOf(Hive hive) {
    return TheCache().entries[hive == Hive::CurrentUser ? 0 : 1];
}

std::string HomeDir() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

// A hive file that is a symbolic link (a settings folder kept elsewhere) is written where the
// link points, even before the target exists, so the link survives.
std::string ResolveTarget(const std::string& path) {
    std::filesystem::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(p, ec)) break;
        std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p.string();
}

// Reads the hive file at `path` into a new tree. `existed` tells a missing file (empty hive)
// from an empty one; `raw` receives the bytes.
std::unique_ptr<Node> ReadHiveFile(Hive hive, const std::string& path, std::string& raw,
                                   struct stat& st, bool& existed) {
    raw.clear();
    existed = false;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (errno == ENOENT) return std::make_unique<Node>();
        Fail(RegStatus::IoError, SystemError("cannot open", path));
        return nullptr;
    }
    existed = true;
    if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(RegStatus::IoError, path + ": not a readable regular file");
        return nullptr;
    }
    if (!ReadAll(fd.Get(), raw)) {
        Fail(RegStatus::IoError, SystemError("cannot read", path));
        return nullptr;
    }
    ParseResult parsed = ParseRegText(raw);
    if (!parsed.ok) {
        Fail(RegStatus::ParseError, path + ": " + parsed.error + " (the file is left unchanged)");
        return nullptr;
    }
    auto root = std::make_unique<Node>();
    for (const Op& op : parsed.ops) {
        if (op.hive != hive) {
            Fail(RegStatus::ParseError, path + ": holds keys of " + HiveRootName(op.hive) +
                                            " (the file is left unchanged)");
            return nullptr;
        }
        ApplyOp(*root, op);
    }
    return root;
}

bool WriteAtomically(const std::string& target, const std::string& text, mode_t mode) {
    AtomicWriteOptions options;
    options.mode = mode;
    const AtomicWriteResult written = WriteFileAtomically(target, text, options);
    if (written.ok) return true;
    if (written.message.rfind("cannot create ", 0) == 0)
        return Fail(RegStatus::IoError, written.message), false;
    errno = written.error;
    return Fail(RegStatus::IoError, SystemError("cannot write", target)), false;
}

}  // namespace

RegStatus Fail(RegStatus status, std::string message) {
    tLastStatus = status;
    SetLastError(message);
    return status;
}

void ClearLastError() {
    tLastStatus = RegStatus::Ok;
    tLastError[0] = '\0';
}

std::shared_ptr<const Node> LoadHive(Hive hive) {
    const std::string path = HiveFilePath(hive);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        std::lock_guard lock(TheCache().mutex);
        CacheEntry& c = CacheOf(hive);
        if (c.root && c.path == path && c.id == IdOf(st)) return c.root;
    }
    std::string raw;
    bool existed = false;
    std::unique_ptr<Node> root = ReadHiveFile(hive, path, raw, st, existed);
    if (!root) return nullptr;
    std::shared_ptr<const Node> shared = std::move(root);
    if (existed) {
        std::lock_guard lock(TheCache().mutex);
        CacheOf(hive) = {path, IdOf(st), shared};
    }
    return shared;
}

// Every write happens under the hive's lock, so with the lock held any temporary file of the hive
// was left by a writer that was killed mid-write.
void RemoveInterruptedWrites(const std::string& target) {
    const std::filesystem::path path(target);
    const std::string prefix = path.filename().string() + ".tmp-";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
            entry.is_regular_file(ec))
            std::filesystem::remove(entry.path(), ec);
    }
}

RegStatus ModifyHive(Hive hive, const std::function<RegStatus(Node&)>& change) {
    const std::string target = ResolveTarget(HiveFilePath(hive));
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ec);
    if (ec)
        return Fail(RegStatus::IoError,
                    "cannot create the folder of " + target + ": " + ec.message());

    const std::string lockPath = target + ".lock";
    UniqueFd lockFd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (lockFd.Get() < 0) return Fail(RegStatus::IoError, SystemError("cannot open", lockPath));
    int rc;
    while ((rc = flock(lockFd.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) return Fail(RegStatus::IoError, SystemError("cannot lock", lockPath));
    RemoveInterruptedWrites(target);

    std::string raw;
    struct stat st {};
    bool existed = false;
    std::unique_ptr<Node> root = ReadHiveFile(hive, target, raw, st, existed);
    if (!root) return tLastStatus;
    RegStatus status = change(*root);
    if (status != RegStatus::Ok) return status;
    std::string text = WriteRegFile(hive, *root, {});
    if (existed && text == raw) return RegStatus::Ok;
    mode_t mode = existed ? (st.st_mode & 07777) : 0644;
    return WriteAtomically(target, text, mode) ? RegStatus::Ok : tLastStatus;
}

}  // namespace reg

std::string HiveFilePath(Hive hive) {
    const char* file = hive == Hive::CurrentUser ? "HKCU.reg" : "HKLM.reg";
    if (const char* dir = std::getenv("WINPORT_REGISTRY_DIR"); dir && *dir)
        return std::string(dir) + "/" + file;
    if (hive == Hive::LocalMachine) return "/etc/winport/HKLM.reg";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string config = (xdg && xdg[0] == '/') ? xdg : reg::HomeDir() + "/.config";
    return config + "/winport/" + file;
}

RegStatus RegistryLastStatus() {
    return reg::tLastStatus;
}
std::string RegistryLastError() {
    return reg::tLastError;
}

}  // namespace winport
