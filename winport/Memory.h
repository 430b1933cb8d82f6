#pragma once
// Large memory blocks for image buffers: reserved address space, optionally page-locked.
#include <cstddef>

namespace winport {

class MemoryBlock {
  public:
    MemoryBlock() = default;
    ~MemoryBlock();
    MemoryBlock(MemoryBlock&& other) noexcept;
    MemoryBlock& operator=(MemoryBlock&& other) noexcept;
    MemoryBlock(const MemoryBlock&) = delete;
    MemoryBlock& operator=(const MemoryBlock&) = delete;

    // Reserves and commits `bytes` of zero-filled memory; false when the system refuses.
    bool Allocate(size_t bytes);
    // Locks the pages in memory where the locked-memory limit allows; false otherwise (the block
    // stays usable).
    bool Lock();
    void Free();

    void* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool Locked() const { return locked_; }

  private:
    void* data_ = nullptr;
    size_t size_ = 0;
    bool locked_ = false;
};

// Bytes the process may still lock (RLIMIT_MEMLOCK); SIZE_MAX when unlimited.
size_t LockableBytes();
// Working-set sizing has no counterpart here; it always succeeds.
inline bool SetWorkingSetSize(size_t /*min*/, size_t /*max*/) {
    return true;
}

}  // namespace winport
