#pragma once
// Brackets a function in the log: "%s - start %u" when created, "%s - end %u (%u)" when the scope
// ends (also by an exception), with the tick count and the elapsed milliseconds. The elapsed time
// is taken modulo 2^32, so it stays right across the wrap of the tick count.
#include <cstdint>

class ZRScopeTrace {
  public:
    using TickSource = uint32_t (*)();

    // name: "Class::Method". The text must outlive the object (a literal or a caller's buffer).
    explicit ZRScopeTrace(const char* name, TickSource ticks = nullptr);
    ~ZRScopeTrace();
    ZRScopeTrace(const ZRScopeTrace&) = delete;
    ZRScopeTrace& operator=(const ZRScopeTrace&) = delete;

  private:
    const char* m_pName;
    TickSource m_pTicks;
    uint32_t m_dwStart;
};

#define ZR_SCOPE_CONCAT2(a, b) a##b
#define ZR_SCOPE_CONCAT(a, b) ZR_SCOPE_CONCAT2(a, b)
#define ZR_SCOPE_TRACE(name) ZRScopeTrace ZR_SCOPE_CONCAT(zrScopeTrace_, __LINE__)(name)
