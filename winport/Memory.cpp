#include "winport/Memory.h"

#include <sys/mman.h>
#include <sys/resource.h>

#include <cstdint>
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

}  // namespace winport
