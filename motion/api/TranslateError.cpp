#include <cstring>
#include <string>

#include "ZR_Corvane_TAL.h"
#include "motion/api/ErrorTable.h"

extern "C" ZR_CORVANE_API ZR_BOOL Corvane_TranslateError(int errorNumber, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    try {
        std::string text = TranslateErrorNumber(errorNumber);
        // A text that does not fit leaves the buffer exactly as it was.
        if (text.size() >= static_cast<size_t>(size)) return 0;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return 1;
    } catch (...) {
        return 0;
    }
}
