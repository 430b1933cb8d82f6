#include "camera/board/SetupMessages.h"

#include <cstdarg>
#include <cstdio>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"

namespace lmv {

void setup_box(const char* format, ...) {
    if (!library().showMessages.load()) return;
    char text[kLogLineBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    show_warning(text);
}

}  // namespace lmv
