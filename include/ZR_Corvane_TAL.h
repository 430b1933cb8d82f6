/* ZR_Corvane_TAL: drives daisy chains of Corvane motion-controller boards over RS-232 with the
 * TAL command set. Plain C interface, usable from C, C++ and Python's ctypes. */
#ifndef ZR_CORVANE_TAL_H
#define ZR_CORVANE_TAL_H

#include <stdint.h>

#if defined(_WIN32)
#define ZR_CORVANE_API __declspec(dllexport)
#else
#define ZR_CORVANE_API __attribute__((visibility("default")))
#endif

/* TRUE (1) or FALSE (0), 32 bits. */
typedef int32_t ZR_BOOL;

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif /* ZR_CORVANE_TAL_H */
