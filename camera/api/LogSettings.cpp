#include "camera/api/LogSettings.h"

#include <cstdio>

#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "winport/Registry.h"

namespace lmv {

std::string LogSettingsKey(int board) {
    if (board == 0) return "Software\\RVD\\Camera Settings\\LOG";
    char key[64];
    std::snprintf(key, sizeof key, "Software\\RVD\\Camera Settings %d\\LOG", board);
    return key;
}

int ApplyLogSettings(int board, int mode) {
    const auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, LogSettingsKey(board));
    if (!key) return kRegistryMissing;
    const auto level = key->ReadDword("LoggingLevel");
    if (!level) return kRegistryMissing;
    if (mode == 0) return EnableMessageLog(0, nullptr);
    const auto name = key->ReadString("LogFileName");
    return EnableMessageLog(static_cast<int>(*level), name ? name->c_str() : nullptr);
}

}  // namespace lmv
