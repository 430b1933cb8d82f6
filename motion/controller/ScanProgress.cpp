#include "motion/controller/ScanProgress.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "motion/base/ZRLog.h"
#include "winport/Clock.h"

namespace {
constexpr uint32_t kQuietMs = 1000;

bool ProgressWanted() {
    const char* wanted = std::getenv("ZR_CORVANE_SCAN_PROGRESS");
    return wanted != nullptr && std::strcmp(wanted, "1") == 0;
}
}  // namespace

ScanProgress::ScanProgress(int addresses)
    : m_start(winport::TickCount()), m_addresses(addresses), m_toStandardError(ProgressWanted()) {}

void ScanProgress::Probing(int address) {
    if (winport::TickCount() - m_start <= kQuietMs) return;  // modulo 2^32
    ZR_LOG_INFO("CCorvaneController::Init() probing address %d of %d", address, m_addresses);
    if (m_toStandardError)
        std::fprintf(stderr, "ZR_Corvane_TAL: probing address %d of %d\n", address, m_addresses);
}
