#include "motion/base/ZRScopeTrace.h"

#include "motion/base/ZRLog.h"
#include "winport/Clock.h"

ZRScopeTrace::ZRScopeTrace(const char* name, TickSource ticks)
    : m_pName(name ? name : ""),
      m_pTicks(ticks ? ticks : &winport::TickCount),
      m_dwStart(m_pTicks()) {
    ZR_LOG_DEBUG("%s - start %u", m_pName, m_dwStart);
}

ZRScopeTrace::~ZRScopeTrace() {
    uint32_t now = m_pTicks();
    ZR_LOG_DEBUG("%s - end %u (%u)", m_pName, now, winport::TicksElapsed(m_dwStart, now));
}
