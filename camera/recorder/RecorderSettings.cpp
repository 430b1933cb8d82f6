#include "camera/recorder/RecorderSettings.h"

#include <cstdint>

#include "camera/api/MessageLog.h"
#include "winport/Memory.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr const char* kBuffersKey = "Software\\RVD\\Buffers";

bool privileges_enabled() {
    // The process token always opens here; a refusal would log "OpenProcessToken failed".
    bool ok = true;
    if (!winport::EnablePrivilege("SeIncreaseQuotaPrivilege")) {
        log_message(kLogRecorder, "SetPrivilege SE_INCREASE_QUOTA_NAME failed \r\n");
        ok = false;
    }
    if (!winport::EnablePrivilege("SeIncreaseBasePriorityPrivilege")) {
        log_message(kLogRecorder, "SetPrivilege SE_INC_BASE_PRIORITY_NAME failed \r\n");
        ok = false;
    }
    return ok;
}

// A value that is missing, or is not a DWORD of exactly 4 bytes, counts as enabled.
uint32_t enable_working_set(const winport::RegistryKey* key) {
    if (!key) return 1;
    const auto v = key->ReadDword("EnableWorkingSet");
    return v ? *v : 1;
}

uint32_t enable_lock(const winport::RegistryKey* key) {
    if (!key) return 0;
    const auto v = key->ReadDword("EnableLock");
    return v ? *v : 0;
}

}  // namespace

recorder_settings recorder_read_settings() {
    recorder_settings s;
    const bool privileges = privileges_enabled();
    const auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, kBuffersKey);
    const uint32_t ws = enable_working_set(key ? &*key : nullptr);
    log_message(kLogRecorder, "EnableWorkingSet RegistryKey : %u\r\n", ws);
    s.working_set = privileges && ws != 0;
    if (s.working_set) s.lock = enable_lock(key ? &*key : nullptr) != 0;
    return s;
}

}  // namespace lmv
