/* lmvntcam: drives Lumivert CCD cameras through their interface board. Plain C interface, usable
 * from C, C++ and Python's ctypes. Every function returns 0 on success, a negative code on failure,
 * or one of the warnings 100 (no picture in the board buffer) and 120 (no camera answers).
 *
 * Boards: functions without a board argument act on the current board (SET_BOARD, boards 0 to 9).
 * The library keeps 20 board slots; a board number outside them (0 to 19, or -1 for the current
 * board where a function says so) is refused with -3 before anything is touched.
 *
 * Result codes: -1 board not initialised, -2 time-out, -3 wrong parameter, -4 driver cannot be
 * opened, -5 device-buffer communication error, -6 bit file not found, -8 camera or CCD type not
 * supported, -9 driver not open, -11 driver busy (another process), -12 transfer incomplete,
 * -13 function missing, -20 camera busy, -21 COC too long, -22 temperature out of range,
 * -23 no memory or no board record, -24 another read in progress, -27 system resource,
 * -28 board owned by the recorder, -29 log file error, -30 registry value missing,
 * -31 dialog error, -34 board memory error, -35 CCD not supported by the board,
 * -333 board buffer could not be emptied.
 *
 * Driver: the library reaches each board only through a driver backend module. By default it
 * loads liblmvpci.so (the simulated board) from its own folder, then from the loader path; the
 * environment variable LMV_DRIVER names another backend module by path.
 *
 * Driver requests keep their 32-bit wire layout in a 64-bit build: an event handle field carries
 * the application's eventfd descriptor, a buffer address field carries the low 32 bits of the
 * address (the picture itself is delivered by the read that follows), and a mapped device buffer
 * lies below 4 GiB so its 32-bit address is the whole address. */
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

/* Selects the current board: the low byte is the board (0 to 9, else -3). Waits up to 5000 ms
 * while a board is being set up (-2). An initialised board gets its current COC reloaded unless
 * bit 0x100 is set. */
LMV_API int SET_BOARD(int board);
/* Stores the current board number. */
LMV_API int GET_BOARD(int* board);

/* Times computed by the last COC build of the current board; 0.0 when it has no record. */
LMV_API float GET_COCTIME(void);
LMV_API float GET_BELTIME(void);
LMV_API float GET_EXPTIME(void);
LMV_API float GET_DELTIME(void);

/* On (non-zero): failures also raise message boxes (without a display: standard error); shows
 * "set messages" and returns the box result (1). Off: returns 0. */
LMV_API int ENABLE_ERROR_MESSAGES(int on);

/* Stores the driver time limit and the image time limit (ms) and returns the image limit. */
LMV_API int GET_TIMEOUT(int* driver_ms, int* image_ms);
/* Takes driver_ms only above 1500 and image_ms only above 2000; returns image_ms. */
LMV_API int SET_TIMEOUT(int driver_ms, int image_ms);

/* level > 0: opens the log file (filename, or "lmvlog.txt" in the current folder when null),
 * always newly created, and writes the level; level <= 0 closes it. Bits of level: 1 errors,
 * 2 initialisation, 4 recorder and device buffers, 8 function entries, 16 COC and memory test,
 * 0x1000 board number and time before every line. Lines are cut at 219 characters. -29 when the
 * file cannot be created or written. */
LMV_API int ENABLE_MESSAGE_LOG(int level, char* filename);

/* Second names of GET_TIMEOUT and SET_TIMEOUT. */
LMV_API int GETTIMEOUT(int* driver_ms, int* image_ms);
LMV_API int SETTIMEOUT(int driver_ms, int image_ms);

/* Wait of the intensified camera: max(wait, 200); -1 when the board has no record. */
LMV_API int SET_TORAM_WAIT(int wait);

/* Registry settings of the camera dialog module (ordinals 85, 86). On Windows these carry the
 * names "_READ_REGISTRY_VALUES@0" and "_WRITE_REGISTRY_VALUES@0"; ELF tools read "@" as a symbol
 * version, so here the names end before it. -13 while no camera dialog module is loaded or it
 * lacks the entry points. */
LMV_API int _READ_REGISTRY_VALUES(void);
LMV_API int _WRITE_REGISTRY_VALUES(void);

/* Camera operation code (COC) settings of the current board, nine parameters:
 *   mode     low byte camera class (0 long exposure; 1 fast shutter, 2/3/4 = class 1 with
 *            submode 1/2/3; 5 intensified), bits 8-15 option flags, bits 16-23 submode;
 *   trig     low byte trigger mode, bits 8-15 trigger flags (0, 1 or 2);
 *   roixmin, roixmax, roiymin, roiymax   region in blocks of 32 pixels, 1-based, inclusive;
 *   hbin     horizontal binning; vbin low 16 bits vertical binning, bits 16 and up black lines;
 *   timevalues  comma-separated integers ended by "-1,-1" (ms for long exposure, ns for the
 *            fast shutter, head and gate values for the intensified camera).
 * TEST_COC checks and adjusts all nine for the camera and writes them back, the text included;
 * *length is the size of the text buffer and receives the size the new text needs (with its
 * terminator). 0 nothing changed, 103 a value was adjusted, 104 the text buffer is missing or
 * too short (the other values are written), -1 no board record, -23 a null pointer. TESTCOC is
 * the same function. */
LMV_API int TEST_COC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                     int* hbin, int* vbin, char* timevalues, int* length);
LMV_API int TESTCOC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                    int* hbin, int* vbin, char* timevalues, int* length);
/* Builds the COC of the settings and loads it into the board: settings that TEST_COC would
 * adjust are refused with -3; the settings are kept only when the load succeeded, and a camera
 * that was running runs on with the new table. -1 no board record, -3 wrong or refused setting
 * (also a camera class whose tables this build does not yet make), -8 CCD type without the
 * submode, -21 table larger than the board memory, -28 recorder owns the board, -2 time-out,
 * other driver errors. */
LMV_API int SET_COC(int mode, int trig, int roixmin, int roixmax, int roiymin, int roiymax,
                    int hbin, int vbin, char* timevalues);
/* The stored settings as SET_COC takes them, the time text regenerated; GET_SETTINGS takes the
 * text buffer as 20000 bytes, GET_COC_SETTING with its size. -23 when the text does not fit or
 * a pointer is null (the numbers are written), -1 without board record. */
LMV_API int GET_SETTINGS(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                         int* roiymax, int* hbin, int* vbin, char* timevalues);
LMV_API int GET_COC_SETTING(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                            int* roiymax, int* hbin, int* vbin, char* timevalues, int length);
/* Image size in pixels of the stored settings (binning, black lines, double images, line
 * sequences). -1 without board record. */
LMV_API int GET_IMAGE_SIZE(int* width, int* height);
/* Sensor width x height; 1431040 and -1 without board record. GET_CCD_SIZE is the same. */
LMV_API int GET_CCDSIZE(int* size);
LMV_API int GET_CCD_SIZE(int* size);
/* Loads a caller-built table: the words up to the first with bits 8-11 all set (the end word,
 * included). -1 board not initialised, -28 recorder owns the board, -21 no end word before
 * word 230000, -23 null table. */
LMV_API int LOAD_USER_COC(unsigned short* table);
/* Writes the area-of-interest words (x AND 0xFFE0) | 12 and (y AND 0xFFE0) | 13 to the camera
 * command register; the first failure is returned. */
LMV_API int LOAD_USER_AOI(int x, int y);

#ifdef __cplusplus
}
#endif

#endif /* LMVNTCAM_H */
