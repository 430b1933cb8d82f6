#pragma once
// Logging helpers every component of the motion library uses. A line is formatted only when the
// library logger lets its priority through, so a library without log configuration pays one level
// check per line. Lines follow the convention "Class::Method(\"text\", %d) detail".
#include "motion/base/ZRLogger.h"

// Formats printf-style and writes one line to the category; the caller has checked the priority.
// A failing log call never throws.
void ZRLogWrite(log4cpp::Category& category, log4cpp::Priority::Value priority, const char* format,
                ...) __attribute__((format(printf, 3, 4)));

inline bool ZRLogEnabled(log4cpp::Priority::Value priority) {
    return ZRLogger::LibraryLogger().isPriorityEnabled(priority);
}

#define ZR_LOG(priority, ...)                                          \
    do {                                                               \
        log4cpp::Category& zrLogCategory_ = ZRLogger::LibraryLogger(); \
        if (zrLogCategory_.isPriorityEnabled(priority))                \
            ZRLogWrite(zrLogCategory_, (priority), __VA_ARGS__);       \
    } while (0)

// DEBUG: progress; INFO: data exchanged with devices; NOTICE: start-up and shut-down;
// WARN; ERROR: failures, naming the condition in upper case (COM_TIMEOUT); CRIT.
#define ZR_LOG_DEBUG(...) ZR_LOG(log4cpp::Priority::DEBUG, __VA_ARGS__)
#define ZR_LOG_INFO(...) ZR_LOG(log4cpp::Priority::INFO, __VA_ARGS__)
#define ZR_LOG_NOTICE(...) ZR_LOG(log4cpp::Priority::NOTICE, __VA_ARGS__)
#define ZR_LOG_WARN(...) ZR_LOG(log4cpp::Priority::WARN, __VA_ARGS__)
#define ZR_LOG_ERROR(...) ZR_LOG(log4cpp::Priority::ERROR, __VA_ARGS__)
#define ZR_LOG_CRIT(...) ZR_LOG(log4cpp::Priority::CRIT, __VA_ARGS__)
