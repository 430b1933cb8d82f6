#pragma once
// The optional message log ("lmvlog.txt" by default) and the warning boxes that are shown only
// while error messages are enabled.
#include <string>

namespace lmv {

enum log_bits : unsigned {
    kLogErrors = 1,
    kLogInit = 2,
    kLogRecorder = 4,
    kLogApi = 8,
    kLogCocAndMemory = 16,
    kLogPrefix = 0x1000,  // board number and time before every message
};

inline constexpr size_t kLogLineBytes = 220;  // longer messages are cut
inline constexpr const char* kDefaultLogName = "lmvlog.txt";

// Stores the level; opens (level > 0) or closes (level <= 0) the log file. 0 or -29.
int enable_message_log(int level, const char* filename);
// Writes the message when one of its bits is in the message level.
void log_message(unsigned bits, const char* format, ...) __attribute__((format(printf, 2, 3)));
int message_level();
bool message_log_open();
void close_message_log();

// A task-modal warning box, shown only while error messages are enabled.
void show_warning(const std::string& text);

}  // namespace lmv
