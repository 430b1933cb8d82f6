/* lmvntcam: drives Lumivert CCD cameras through their interface board. Plain C interface, usable
 * from C, C++ and Python's ctypes. Every function returns 0 on success, a negative code on failure,
 * or one of the warnings 100 (no picture in the board buffer) and 120 (no camera answers). */
#ifndef LMVNTCAM_H
#define LMVNTCAM_H

#include <stdint.h>

#if defined(_WIN32)
#define LMV_API __declspec(dllexport)
#else
#define LMV_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif /* LMVNTCAM_H */
