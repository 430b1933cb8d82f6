#include "winport/AtomicWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "winport/UniqueFd.h"

namespace winport {
namespace {

AtomicWriteResult Failure(const char* step, const std::string& path) {
    const int error = errno;
    return {false, error, std::string("cannot ") + step + " " + path + ": " + std::strerror(error)};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates the temporary file; temporary receives its path.
UniqueFd CreateTemporary(const std::string& target, const AtomicWriteOptions& options,
                         std::string& temporary) {
    if (!options.temporaryPath.empty()) {
        temporary = options.temporaryPath;
        return UniqueFd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    }
    temporary = target + ".tmp-XXXXXX";
    UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd) return fd;
    // mkostemp makes 0600; a new file gets what open(..., 0666) would have given it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd.Get(), 0666 & ~mask) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fd.Reset();
        errno = error;
    }
    return fd;
}

AtomicWriteResult FillTemporary(UniqueFd& fd, const std::string& temporary,
                                const std::string& target, std::string_view data,
                                const AtomicWriteOptions& options) {
    struct stat old {};
    std::optional<mode_t> mode = options.mode;
    if (!mode && ::stat(target.c_str(), &old) == 0) mode = old.st_mode & 07777;
    if (mode && ::fchmod(fd.Get(), *mode) != 0) return Failure("set the permissions of", temporary);
    if (!WriteAll(fd.Get(), data)) return Failure("write", temporary);
    if (::fsync(fd.Get()) != 0) return Failure("flush", temporary);
    if (!fd.Close()) return Failure("close", temporary);
    return {true, 0, {}};
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string& target, std::string_view data,
                                      const AtomicWriteOptions& options) {
    std::string temporary;
    UniqueFd fd = CreateTemporary(target, options, temporary);
    if (!fd) return Failure("create", temporary);
    AtomicWriteResult result = FillTemporary(fd, temporary, target, data, options);
    if (result.ok && ::rename(temporary.c_str(), target.c_str()) != 0)
        result = Failure("replace", target);
    if (!result.ok) {
        ::unlink(temporary.c_str());
        return result;
    }
    // The rename itself must reach the disk before the change counts as made; best effort,
    // since the new content is in place already.
    const UniqueFd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) (void)::fsync(folder.Get());
    return result;
}

}  // namespace winport
