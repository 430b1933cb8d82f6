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
// Working-set sizing has no counterpart here; it always succeeds and is remembered.
bool SetWorkingSetSize(size_t min, size_t max);

// Address space reserved without memory behind it, committed in ranges. The reservation is
// released as a whole; committed pages are resident (faulted in) and read as zero.
[[nodiscard]] void* ReserveAddressSpace(size_t bytes);
[[nodiscard]] bool CommitRange(void* start, size_t bytes);
void DecommitRange(void* start, size_t bytes);
void ReleaseAddressSpace(void* start, size_t bytes);

// Page locking of a range: 0, or the system's error number.
[[nodiscard]] int LockRange(void* start, size_t bytes);
void UnlockRange(void* start, size_t bytes);

// Physical memory the system could hand out now, in bytes, capped by WINPORT_AVAILABLE_MEMORY
// (bytes) when that is set; and the machine's total.
size_t AvailablePhysicalMemory();
size_t TotalPhysicalMemory();

// The process working-set limits: remembered as set, without effect on the system (first read:
// the system defaults of a fresh process).
void GetWorkingSetSize(size_t& min, size_t& max);

// Privileges of the process: nothing to enable here, the request always succeeds.
inline bool EnablePrivilege(const char* /*name*/) {
    return true;
}

}  // namespace winport
