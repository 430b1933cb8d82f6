#pragma once
// Log settings kept in the registry per board, applied when a board is set up or released.
#include <string>

namespace lmv {

// "Software\\RVD\\Camera Settings\\LOG" for board 0, "Software\\RVD\\Camera Settings %d\\LOG" else.
std::string log_settings_key(int board);

// Set-up (mode >= 1): with "LoggingLevel" (REG_DWORD) present the log is opened with that level
// and "LogFileName" when present; release (mode 0): with "LoggingLevel" present the log is closed.
// -30 when the key or "LoggingLevel" is missing, else the log's result.
int apply_log_settings(int board, int mode);

}  // namespace lmv
