#include "motion/controller/CorvaneStatus.h"

#include <iterator>

#include "ZR_Corvane_TAL.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

const CorvaneErrorCodeEntry kErrorCodes[] = {
    {1, COM_ERROR, "ERROR_CODE_RS232_TIMEOUT"},
    {2, COM_ERROR, "ERROR_CODE_RS232_OVERFLOW"},
    {3, ZR_CNTR_MACRO_MEMORY_FULL, nullptr},
    {4, ZR_CNTR_PARAMETER_OUT_OF_RANGE, nullptr},
    {5, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
    {7, ZR_MOTION_ERROR, nullptr},
    {9, ZR_MOTION_ERROR, nullptr},
    {10, ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO, nullptr},
    {11, ZR_CNTR_JOYSTICK_IS_ACTIVE, nullptr},
};

}  // namespace

CorvaneStatusParse ParseCorvaneStatus(const char* answer, int nrBytes,
                                      uint8_t status[kMaxStatusBytes]) {
    CorvaneStatusParse result;
    for (int i = 0; i < kMaxStatusBytes; ++i) status[i] = 0;
    if (!answer || nrBytes < 0 || nrBytes > kMaxStatusBytes) return result;
    const char* p = answer;
    // Position 2 lies behind "S:"; a shorter text has no bytes at all.
    for (int i = 0; i < 2; ++i)
        if (*p != '\0') ++p;
    for (int i = 0; i < nrBytes; ++i) {
        while (*p == ' ') ++p;
        const char c1 = p[0];
        const char c2 = c1 != '\0' ? p[1] : '\0';
        const int high = HexValue(c1);
        const int low = HexValue(c2);
        if (high < 0 || low < 0) {
            result.badChar1 = static_cast<unsigned char>(c1);
            result.badChar2 = static_cast<unsigned char>(c2);
            for (int j = 0; j < kMaxStatusBytes; ++j) status[j] = 0;
            return result;
        }
        status[i] = static_cast<uint8_t>(high * 16 + low);
        p += 2;
        if (*p != '\0') ++p;  // the separator
    }
    result.ok = true;
    return result;
}

const CorvaneErrorCodeEntry* FindCorvaneErrorCode(int code) {
    for (const CorvaneErrorCodeEntry& e : kErrorCodes)
        if (e.code == code) return &e;
    return nullptr;
}
