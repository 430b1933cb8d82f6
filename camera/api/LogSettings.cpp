#include "camera/api/LogSettings.h"

#include <cstdio>

#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "winport/Registry.h"

namespace lmv {

std::string log_settings_key(int board) {
    if (board == 0) return "Software\\RVD\\Camera Settings\\LOG";
    char key[64];
    std::snprintf(key, sizeof key, "Software\\RVD\\Camera Settings %d\\LOG", board);
    return key;
}

int apply_log_settings(int board, int mode) {
    const auto key =
        winport::RegistryKey::Open(winport::Hive::CurrentUser, log_settings_key(board));
    if (!key) return kRegistryMissing;
    const auto level = key->ReadDword("LoggingLevel");
    if (!level) return kRegistryMissing;
    if (mode == 0) return enable_message_log(0, nullptr);
    const auto name = key->ReadString("LogFileName");
    return enable_message_log(static_cast<int>(*level), name ? name->c_str() : nullptr);
}

}  // namespace lmv
