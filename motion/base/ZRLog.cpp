#include "motion/base/ZRLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void ZRLogWrite(log4cpp::Category& category, log4cpp::Priority::Value priority, const char* format,
                ...) {
    if (!format) return;
    try {
        char small[512];
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(small, sizeof small, format, args);
        va_end(args);
        if (n < 0) return;
        if (static_cast<size_t>(n) < sizeof small) {
            category.log(priority, std::string(small, static_cast<size_t>(n)));
            return;
        }
        std::string line(static_cast<size_t>(n) + 1, '\0');
        va_start(args, format);
        std::vsnprintf(line.data(), line.size(), format, args);
        va_end(args);
        line.resize(static_cast<size_t>(n));
        category.log(priority, line);
    } catch (...) {
        // A log line never changes the outcome of the operation that writes it.
    }
}
