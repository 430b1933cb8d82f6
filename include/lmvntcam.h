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

/* Board set-up. SET_INIT: mode (low byte) 0 releases the current board; 1 initialises it (driver
 * version check, device, board identification, FPGA load, temperature checks, camera
 * identification, board memory test, limits); 2 to 8 also load the camera dialog module of the
 * mode. Bits 8 and up of the argument and of HKEY_CURRENT_USER\Software\RVD\LMVTEST "Initmode"
 * (shifted by 8) are test flags: 0x100 longest exposures, 0x200 shortest exposures of camera
 * type 1. Returns 0, or the warning 120 when no camera answered (the board is ready with the
 * default camera), -3 for a mode above 8, -30 without the driver's service key, -6 without a bit
 * file, -1 for a failed temperature check, -8 for an unknown camera or a camera the mode does not
 * serve, -35 for a CCD the board type does not carry, -27 when the dialog module cannot be
 * loaded, else the failing step's code. */
LMV_API int SET_INIT(int mode);

/* Camera dialog module of the current board (loaded by SET_INIT 2 to 8, or by OPEN_DIALOG_CAM
 * by camera and CCD type). Each forwards to the module's entry point of the same name with the
 * current board first; -13 when the module lacks it. STATUS_DIALOG_CAM stores 0 through both
 * pointers when the entry point is missing. */
LMV_API int OPEN_DIALOG_CAM(void* parent, int flags, char* title);
LMV_API int CLOSE_DIALOG_CAM(void);
LMV_API int GET_DIALOG_CAM(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                           int* roiymax, int* hbin, int* vbin, char* timevalues);
LMV_API int SET_DIALOG_CAM(int mode, int trig, int roixmin, int roixmax, int roiymin, int roiymax,
                           int hbin, int vbin, char* timevalues);
LMV_API int LOCK_DIALOG_CAM(int lock);
LMV_API int STATUS_DIALOG_CAM(int* window, int* status);

/* Power-down counts from two times (upper, lower; lower must be below upper, else -3), converted
 * by the CCD's clock; -3 when the counts are out of range (nothing changes). */
LMV_API int SET_POWERDOWN(int hi_time, int lo_time);

/* Camera of a ready board (board -1: the current board; -1 when the board is not ready). */
LMV_API int GET_CAMERA_ID(int board, int* id);
LMV_API int GET_CAMERA_CCD(int board, int* ccd);
LMV_API int GET_CAMERA_TYP(int board, int* typ);
/* what: 1 status word (extended camera byte in bits 16-23), 2 CCD and 3 electronics temperature
 * (degrees C), 4 and 5 the board-type-3 values, 6 board type, 7 board version; other -3. */
LMV_API int GET_CAMERA_STAT(int board, int what, int* value);
/* Board type 3 only: what 1 and 2 write the camera values 1 and 2; else -3. */
LMV_API int SET_CAMERA_VAL(int board, int what, int value);
/* Board memory test over `words` 16-bit words (board types 2 and 3, else -13): -34 when the board
 * returns a wrong value, -3 for fewer than 1 or more than the board memory's 4194304 words. */
LMV_API int CHECK_BOARD_MEMORY(int board, int words);

/* Registry settings of the camera dialog module (ordinals 85, 86). On Windows these carry the
 * names "_READ_REGISTRY_VALUES@0" and "_WRITE_REGISTRY_VALUES@0"; ELF tools read "@" as a symbol
 * version, so here the names end before it. -13 while no camera dialog module is loaded or it
 * lacks the entry points. */
LMV_API int _READ_REGISTRY_VALUES(void);
LMV_API int _WRITE_REGISTRY_VALUES(void);

/* B/W output table (4096 bytes, one 8-bit output per 12-bit pixel value). It is kept by the
 * library (pixel values above 4095 convert to 255) and, when the current board is ready, loaded
 * into the board for READ_IMAGE_8BIT. 0, or -23 for a null table. */
LMV_API int LOAD_OUTPUT_LUT(unsigned char* lut);
/* Converts width x height 12-bit pixels through the B/W output table into bytes. mode 0 keeps the
 * order, 1 flips vertically, 8 mirrors each row, 9 rotates by 180 degrees; other modes -3. -23
 * for a null source or destination. */
LMV_API int CONVERT_BUFFER_12TO8(int mode, int width, int height, short* src, unsigned char* dst);
/* Smallest (at most 4095) and largest (at least 1) pixel of the image; pixels above 4095 count as
 * 4095. A null image takes a single picture of the current board at the size of its COC (-1 board
 * not ready, -2 no picture within its image time + 5000 ms, -13 picture taking not available,
 * -23 no memory, or the read's error). mode 1 also sets the B/W table (SET_DIALOG_BW) with the
 * result and its current linear/gamma choice. */
LMV_API int AUTO_MINMAX(int mode, int* min, int* max, int width, int height, unsigned short* image);
/* As AUTO_MINMAX, but min is the level where more than low_percent of the pixels lie at or below,
 * max the level from the top where more than high_percent lie at or above; min stays below max. */
LMV_API int AUTO_MINMAX_OFF(int mode, int* min, int* max, int low_percent, int high_percent,
                            int width, int height, unsigned short* image);
/* Automatic exposure of a long-exposure camera (-8 for other cameras, -28 while the recorder owns
 * the board): changes the exposure (second time value) picture by picture until the brightest
 * percent of the pixels begin at a level between 1400 and 1500, and stores it in *exposure.
 * Returns 0, or 100 (no exact exposure possible, or 24 s passed), 101 (too dark at 2000), 102
 * (too bright at 1) with the exposure reached; on an error the old exposure is kept and stored.
 * image (width x height, may be null) receives a picture taken with the new exposure. flags bit 0
 * sets the B/W table to 100..1650 and the camera dialog to the new settings; bit 1 reports
 * progress to an open camera dialog. Leaves the image time limit at 2000 ms. */
LMV_API int AUTO_RANGE(int flags, int* exposure, int percent, int width, int height,
                       unsigned short* image);
/* B/W table parameters: min 0..4094, max 1..4095 above min, lin 0 (linear) or 1 (gamma), else -3.
 * Builds and loads the table and writes the parameters to the current board's registry key
 * HKEY_CURRENT_USER\Software\RVD\Camera Settings[ n]\LUT while the B/W dialog is closed. */
LMV_API int SET_DIALOG_BW(int min, int max, int lin);
/* The current B/W table parameters; -23 when a pointer is null (the others are written). */
LMV_API int GET_DIALOG_BW(int* min, int* max, int* lin);
/* Stores the 8-bit display palette handle (HPALETTE on Windows) and returns the pointer given.
 * Linux screens are not palette-based: the handle is null. */
LMV_API void** GET_PALETTE(void** palette);

/* --- Colour conversion, colour and pseudo-colour tables --- */
/* Colour output tables: red, green, blue, 4096 bytes each, one 8-bit output per 12-bit value
 * (pixel values above 4095 convert to 255). Kept by the library; nothing goes to the board.
 * 0, or -23 for a null table. */
LMV_API int LOAD_COLOR_LUT(unsigned char* red, unsigned char* green, unsigned char* blue);
/* Pseudo-colour tables: red, green, blue, 256 bytes each, indexed by the B/W table's output.
 * SET_INIT loads the grey ramp (k, k, k). 0, or -23 for a null table. */
LMV_API int LOAD_PSEUDO_COLOR_LUT(unsigned char* red, unsigned char* green, unsigned char* blue);
/* Converts a width x height picture into blue, green, red (and 0) bytes. mode bit 0 writes the
 * rows bottom-up, bit 1 gives 4 bytes per pixel, bit 3 mirrors each row; bits 4-5 choose the
 * method: 0 colour at the centre of the R G / G B cell to the lower left of each pixel
 * (bilinear), 1 pseudo colour (B/W table, then the pseudo-colour tables), 2 own sample and means
 * of the nearest samples of the other colours. Valid modes 0-3, 8-11, 16-19, 24-27, 32-35,
 * 40-43, else -3; -3 for a negative size, -23 for a null source or destination. */
LMV_API int CONVERT_BUFFER_12TOCOL(int mode, int width, int height, unsigned short* src,
                                   unsigned char* dst);
/* Reads a picture as READ_IMAGE_12BIT mode 0 does and converts it as CONVERT_BUFFER_12TOCOL.
 * -3 for a size below 1 or an invalid mode, -23 for a null destination or no memory, or the
 * read's result. */
LMV_API int READ_IMAGE_COL(int mode, int width, int height, unsigned char* dst);
/* White balance: the channel with the largest maximum sets factor = maximum / average, and the
 * colour tables become 100 .. factor x average per channel, linear (SET_DIALOG_COL). A null image
 * takes a single picture of the current board as AUTO_MINMAX does. 100 when an average is at most
 * 100 or above 4050 (nothing changed); -3 for a picture narrower or lower than 2. */
LMV_API int AUTO_COLOR(int width, int height, unsigned short* image);
/* Colour table parameters: every min 0..4094, every max 1..4095 above its min, lin 0 (linear) or
 * 1 (gamma), else -3. Builds and loads the three tables and writes the parameters to the current
 * board's registry key while the colour dialog is closed. GET_DIALOG_COL skips null pointers. */
LMV_API int SET_DIALOG_COL(int red_min, int red_max, int green_min, int green_max, int blue_min,
                           int blue_max, int lin);
LMV_API int GET_DIALOG_COL(int* red_min, int* red_max, int* green_min, int* green_max,
                           int* blue_min, int* blue_max, int* lin);
/* --- end colour --- */

/* --- LUT dialogs --- */
/* The B/W and colour LUT dialogs: modeless X11 windows, each with a thread and display connection
 * of its own, shown by the module liblmvlutdlg.so beside the library (loaded at the first open;
 * the library itself links no X library).
 *
 * Parent window (also for OPEN_DIALOG_CAM): `parent` carries the X11 window ID of the
 * application's top-level window, (void*)(uintptr_t)id, or NULL for none. The dialog is made
 * transient for it and is kept directly above it when the parent is raised (not for param 8 or 9).
 *
 * param bit 0: after every change the dialog sends the parent a ClientMessage event of type
 * LMVNTCAM_LUT_ATOM, format 32: data.l[0] = the registry value "Update_Comand_BW" (default 1001)
 * or "Update_Comand_Color" (default 1002), data.l[1] = the board, data.l[2] = the dialog's window
 * ID. Applications without X poll STATUS_DIALOG_BW / STATUS_DIALOG_COL instead.
 * param bit 1: the dialog does not load the changed table(s); the application does.
 * title: NULL gives "B&W-Dialog <board>" / "Color-Dialog <board>" with the current board.
 *
 * OPEN_: 0 (also when the dialog is already open: it is shown); -31 at once without the module,
 * its X11 library or a display, or when the thread cannot start; -2 when the window is not up
 * within 5250 ms. CLOSE_: 0; waits for the dialog thread to end; the window writes its values
 * and position to the board's LUT key. LOCK_: 0, -31 while no dialog is open; a locked dialog
 * ignores mouse buttons and keys (it beeps) and its thread runs at idle priority where that can
 * be undone again. STATUS_: 0; *window = the dialog's X11 window ID (0 when not open), *changed =
 * 1 when the values changed since the last call (the call clears it); null pointers are skipped.
 * SET_INIT(0) and library unload close both dialogs. */
#define LMVNTCAM_LUT_ATOM "LMVNTCAM_LUT_UPDATE"
LMV_API int OPEN_DIALOG_BW(void* parent, int param, char* title);
LMV_API int LOCK_DIALOG_BW(int lock);
LMV_API int CLOSE_DIALOG_BW(void);
LMV_API int STATUS_DIALOG_BW(int* window, int* changed);
LMV_API int OPEN_DIALOG_COL(void* parent, int param, char* title);
LMV_API int LOCK_DIALOG_COL(int lock);
LMV_API int CLOSE_DIALOG_COL(void);
LMV_API int STATUS_DIALOG_COL(int* window, int* changed);
/* --- end LUT dialogs --- */

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
 * too short (the other values are written), -21 the settings (as written back) make a table
 * larger than the board memory (SET_COC would refuse them), -1 no board record, -23 a null
 * pointer. TESTCOC is the same function. */
LMV_API int TEST_COC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                     int* hbin, int* vbin, char* timevalues, int* length);
LMV_API int TESTCOC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                    int* hbin, int* vbin, char* timevalues, int* length);
/* Builds the COC of the settings and loads it into the board: settings that TEST_COC would
 * adjust are refused with -3; the settings are kept only when the load succeeded, and a camera
 * that was running runs on with the new table. -1 no board record, -3 wrong or refused setting
 * (also a time list the table cannot encode: fast-shutter exposures adding up to less than the
 * shortest exposure, intensifier delays or gates it cannot time), -8 CCD type without the
 * submode, -21 table larger than the board memory, -23 a null time text, -28 recorder owns the
 * board, -2 time-out, other driver errors. */
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

/* Acquisition. Run modes of RUN_COC (low nibble): 0 continuous, 4 single picture (with trigger
 * flags 1 or 2 the externally triggered forms), 5, 6, 8, 9, 10, 11, 14, 15 the camera's run
 * commands; bit 0x100 writes the low byte to the camera command register as it is, without
 * waiting for other operations. -1 board not initialised, -2 the board stays busy with another
 * operation, -3 a run mode without command or a mode outside 0 to 0x1FF, -20 camera busy, -28
 * recorder owns the board. */
LMV_API int RUN_COC(int mode);
/* Stop modes: 0 stop and empty the board buffer, 1 stop, 2 finish the picture in exposure and
 * empty, 3 finish the picture, 4 and 5 as 0 and 1 without the CCD's settling pause; above 5 only
 * the trigger's arm command is written. -3 for a negative mode. */
LMV_API int STOP_COC(int mode);
/* Camera status word (register 6, extended camera byte in bits 16-23) and the temperatures in
 * degrees C. A camera that does not answer reports status 0x795E and 0 degrees. -22 for a
 * temperature out of range (values as read); while the recorder owns the board, or when the
 * board stays busy, the last good values. -23 for a null pointer. */
LMV_API int GET_STATUS(int* status, int* ele_temp, int* ccd_temp);
/* Board-buffer state. Bit 0 a read or recorder transfer is in progress (the rest is then the last
 * composed status), bit 1 no picture in the board buffer, bits 2, 3, 4 camera status bits 1, 4,
 * 0; bits 5-23 are kept as passed in *status; bits 24-31 the board's status byte. */
LMV_API int GET_IMAGE_STATUS(int* status);
/* Image reads from the board buffer, width x height pixels. mode 0 as is, 1 flipped vertically,
 * 8 each row mirrored, 9 rotated by 180 degrees, 4 no transfer (12-bit: zeros; 8-bit: a test
 * picture), 32 (12-bit only) the direct read; other modes -3. Returns 100 when no picture arrives
 * within the image time, -3 for an empty size, -23 for a null buffer, -24 while another read runs,
 * -28 while the recorder owns the board, -2 time-out, -12 incomplete transfer. After a single
 * picture start the read stops the camera. READ_IMAGE_8BIT converts through the board's output
 * table (LOAD_OUTPUT_LUT). READ_IMAGE_12BIT_EXT reads into image slot picnr of a sequence buffer
 * (offset width x height x picnr pixels) and knows modes 0, 1, 4, 32. */
LMV_API int READ_IMAGE_12BIT(int mode, int width, int height, unsigned short* buffer);
LMV_API int READ_IMAGE_12BIT_EXT(int mode, int width, int height, int picnr,
                                 unsigned short* buffer);
LMV_API int READ_IMAGE_8BIT(int mode, int width, int height, unsigned char* buffer);
/* Sends the clear command to a board (0 to 19): -1 not initialised, -3 no such board. */
LMV_API int CLEAR_BOARD_BUFFER(int board);

/* Event handles: event_fd is an eventfd descriptor the application created (eventfd(0, 0) in C,
 * os.eventfd(0) in Python); the library resets it by draining it and signals it by writing 1.
 * Wait on it with poll/select or a blocking read. Anything else is refused with -3.
 *
 * DMA_IMAGE_START: board in the low byte (0 to 19), transfer sub-mode in the second byte. Checks
 * that a picture waits (sub-modes 5 and 7: the board waits for it), announces the transfer and
 * returns 0 at once; the event is signalled when all width x height 16-bit pixels are in buffer,
 * which must stay valid until then. A transfer that fails or runs past the driver time limit
 * signals nothing. 100 no picture, -9 driver not open, -28 a transfer of the board is still
 * running, -23 null buffer. */
LMV_API int DMA_IMAGE_START(int board_and_mode, int width, int height, void* buffer, int event_fd);
/* Registers event_fd with the board: it is signalled when a picture lands in the board buffer
 * (at once when one waits). END_WAIT_IMAGE unregisters it. -9 driver not open, -2 time-out. */
LMV_API int BEGIN_WAIT_IMAGE(int board, int event_fd);
LMV_API int END_WAIT_IMAGE(int board);
/* Device buffer of 131072 bytes: the next free buffer is allocated and mapped; its number, the
 * second and first status words and the mapped address are stored. -5 when a step fails (a
 * buffer half made is freed again), -9 driver not open, -23 null pointer. FREE_PHYS unmaps and
 * frees it. */
LMV_API int FREE_PHYS(int board, int buffer);
LMV_API int ALLOC_PHYS(int board, int* buffer, int* status1, int* status0, void** address);

/* --- Recorder --- */
/* Memory for image sequences. ALLOC_RECORDER sets aside one block for the process: *count images
 * of `size` pixels (0 = as many as 95 % of the available memory holds; WINPORT_AVAILABLE_MEMORY,
 * in bytes, caps what counts as available), returns the images that fit in *count. The block is
 * resident and zero-filled before it is used. A new ALLOC_RECORDER replaces the block and releases
 * every board's buffers in the old one (GET_BUFFER_ADDR then gives -23). -3 size below 1, -23 no
 * memory or null count, -28 while a board records. FREE_RECORDER releases the block and the
 * buffers: 0, -28 while a board records. */
LMV_API int ALLOC_RECORDER(int* count, int size);
LMV_API int FREE_RECORDER(void);
/* Cuts the current board's share of the block into *count buffers of width x height 16-bit
 * pixels (plus one hidden work buffer for averaging), each zeroed and, when HKEY_CURRENT_USER
 * "Software\RVD\Buffers" "EnableLock" is non-zero, page-locked where the locked-memory limit
 * allows. *count is reduced to what fits behind the other boards' buffers (0 when nothing fits).
 * -3 count above 100000 or an empty size, -23 no record or none locked, -28 while recording. */
LMV_API int SET_BUFFER_SIZE(int* count, int width, int height);
/* Address and size of buffer picnr (1 to the count). -3 picnr out of range, -23 no buffers. */
LMV_API int GET_BUFFER_ADDR(int picnr, void** address, int* width, int* height);
/* Kept for old applications: always -3. */
LMV_API int GET_RECORDER_ADDR(void* first, void* second);
/* Records into buffers pics to pice (1-based): mode 0 fills them once, mode 1 as a ring until
 * STOP_DMA; other modes -3. RUN_DMA_AVG stores the average of avg (1 to 4096) pictures in each
 * buffer. Both block the calling thread until the recording ends (there is no message queue to
 * serve): call STOP_DMA from another thread. Result: the last transfer's (0, or -2, -12, ...),
 * -3 wrong buffer numbers, mode or avg, -23 no record or memory, -28 already recording. */
LMV_API int RUN_DMA(int pics, int pice, int mode);
LMV_API int RUN_DMA_AVG(int pics, int pice, int mode, int avg);
/* Asks the recording to stop; it ends within about 100 ms or the transfer in hand. Always 0. */
LMV_API int STOP_DMA(void);
/* Buffer being filled (1-based); 0 and -23 without buffers. */
LMV_API int GET_DMA_STATUS(int* status);
/* Counters of the current or last recording of the current board: frames stored, ring wraps,
 * pictures dropped by clearing the board buffer, transfer errors. -23 null pointer or no record.
 * (Ordinal 102, an addition of this library.) */
LMV_API int GET_DMA_COUNTERS(unsigned int* frames, unsigned int* wraps, unsigned int* dropped,
                             unsigned int* errors);
/* One picture into buffer picnr, read in the background: 0 started, 100 no picture, -3 picnr out
 * of range, -28 the board is busy with a transfer, or the driver's failure. Poll DMA_DONE: status
 * picnr while the read runs, 0 when the picture is in; -12 when the read failed (the board is
 * free again), -3 when no single transfer is pending. */
LMV_API int DMA_START_SINGLE(int picnr);
LMV_API int DMA_DONE(int* status);
/* The recording threads' entry points: -3 for any argument but a parameter block the library
 * itself has just made for a thread it starts. */
LMV_API int DMATHREADR(void* params);
LMV_API int AVGTHREADR(void* params);
/* --- end recorder --- */

#ifdef __cplusplus
}
#endif

#endif /* LMVNTCAM_H */
