#include "winport/Memory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>

namespace winport {

MemoryBlock::~MemoryBlock() {
    Free();
}

MemoryBlock::MemoryBlock(MemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      locked_(std::exchange(other.locked_, false)) {}

MemoryBlock& MemoryBlock::operator=(MemoryBlock&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        locked_ = std::exchange(other.locked_, false);
    }
    return *this;
}

bool MemoryBlock::Allocate(size_t bytes) {
    Free();
    if (bytes == 0) return false;
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
    data_ = p;
    size_ = bytes;
    return true;
}

bool MemoryBlock::Lock() {
    if (!data_) return false;
    if (locked_) return true;
    if (LockableBytes() < size_) return false;
    locked_ = ::mlock(data_, size_) == 0;
    return locked_;
}

void MemoryBlock::Free() {
    if (!data_) return;
    if (locked_) ::munlock(data_, size_);
    ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
    locked_ = false;
}

size_t LockableBytes() {
    rlimit rl{};
    if (::getrlimit(RLIMIT_MEMLOCK, &rl) != 0) return 0;
    if (rl.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    return static_cast<size_t>(rl.rlim_cur);
}

namespace {

size_t PageBytes() {
    const long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<size_t>(page) : 4096;
}

// Faults every page in by writing: fresh anonymous pages are zero, so nothing is overwritten.
bool Prefault(void* start, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (::madvise(start, bytes, MADV_POPULATE_WRITE) == 0) return true;
    if (errno != EINVAL) return false;  // ENOMEM and the like: the memory is not there
#endif
    auto* p = static_cast<volatile unsigned char*>(start);
    const size_t page = PageBytes();
    for (size_t at = 0; at < bytes; at += page) p[at] = 0;
    return true;
}

// MemAvailable of /proc/meminfo in bytes; the free memory of sysinfo when it is missing.
size_t SystemAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    unsigned long long kib = 0;
    std::string unit;
    while (in >> key >> kib >> unit)
        if (key == "MemAvailable:") return static_cast<size_t>(kib * 1024);
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) return 0;
    return static_cast<size_t>(info.freeram) * info.mem_unit;
}

struct working_set {
    std::mutex mutex;
    // A fresh process's limits on the system this stands in for.
    size_t min = 204800;
    size_t max = 1413120;
};

working_set& process_working_set() {
    static working_set w;
    return w;
}

}  // namespace

bool SetWorkingSetSize(size_t min, size_t max) {
    working_set& w = process_working_set();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.min = min;
    w.max = max;
    return true;
}

void GetWorkingSetSize(size_t& min, size_t& max) {
    working_set& w = process_working_set();
    std::lock_guard<std::mutex> lock(w.mutex);
    min = w.min;
    max = w.max;
}

void* ReserveAddressSpace(size_t bytes) {
    if (bytes == 0) return nullptr;
    void* p = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

bool CommitRange(void* start, size_t bytes) {
    if (!start || bytes == 0) return false;
    if (::mprotect(start, bytes, PROT_READ | PROT_WRITE) != 0) return false;
    if (Prefault(start, bytes)) return true;
    DecommitRange(start, bytes);
    return false;
}

void DecommitRange(void* start, size_t bytes) {
    if (!start || bytes == 0) return;
    (void)::madvise(start, bytes, MADV_DONTNEED);
    (void)::mprotect(start, bytes, PROT_NONE);
}

void ReleaseAddressSpace(void* start, size_t bytes) {
    if (start && bytes) ::munmap(start, bytes);
}

// Straight to the system: sanitizer run-times replace mlock with a call that locks nothing and
// always succeeds, which would hide the locked-memory limit.
int LockRange(void* start, size_t bytes) {
    if (!start || bytes == 0) return EINVAL;
    return ::syscall(SYS_mlock, start, bytes) == 0 ? 0 : errno;
}

void UnlockRange(void* start, size_t bytes) {
    if (start && bytes) (void)::syscall(SYS_munlock, start, bytes);
}

size_t AvailablePhysicalMemory() {
    size_t available = SystemAvailable();
    if (const char* cap = std::getenv("WINPORT_AVAILABLE_MEMORY")) {
        char* end = nullptr;
        const unsigned long long v = std::strtoull(cap, &end, 0);
        if (end != cap && *end == 0) available = std::min<size_t>(available, v);
    }
    return available;
}

size_t TotalPhysicalMemory() {
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) return 0;
    return static_cast<size_t>(info.totalram) * info.mem_unit;
}

}  // namespace winport
