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

/* Error numbers. 0: no error; 1 to 6005: controller errors; -1 to -61: communication errors;
 * -1001 to -1082: library errors. Corvane_TranslateError gives the text of any number. */
#define ZR_NO_ERROR 0
#define ZR_CNTR_PARAMETER_SYNTAX_ERROR 1
#define ZR_CNTR_UNKNOWN_COMMAND 2
#define ZR_CNTR_COMMAND_TOO_LONG 3
#define ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO 5
#define ZR_CNTR_POSITION_OUT_OF_LIMITS 7
#define ZR_CNTR_VELOCITY_OUT_OF_LIMITS 8
#define ZR_CNTR_STOPPED_BY_COMMAND 10
#define ZR_CNTR_INVALID_ANALOG_INPUT 14
#define ZR_CNTR_INVALID_AXIS_IDENTIFIER 15
#define ZR_CNTR_INVALID_STAGE_NAME 16
#define ZR_CNTR_PARAMETER_OUT_OF_RANGE 17
#define ZR_CNTR_MACRO_RECORD_ERROR 19
#define ZR_CNTR_MACRO_NOT_FOUND 20
#define ZR_CNTR_PARAMETER_MISSING 26
#define ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE 34
#define ZR_CNTR_NO_DIGITAL_INPUT 35
#define ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL 51
#define ZR_CNTR_COMMUNICATION_ERROR 52
#define ZR_CNTR_JOYSTICK_IS_ACTIVE 83
#define ZR_CNTR_NO_STAGE_CONNECTED 200
#define ZR_CNTR_ON_LIMIT_SWITCH 216
#define ZR_CNTR_MACRO_MEMORY_FULL 309
#define ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE 1002
#define ZR_CNTR_INVALID_MAC_PARAMETER 1003
#define COM_ERROR (-1)
#define SEND_ERROR (-2)
#define REC_ERROR (-3)
#define NOT_CONNECTED_ERROR (-4)
#define COM_BUFFER_OVERFLOW (-5)
#define COM_OPEN_ERROR (-6)
#define COM_TIMEOUT (-7)
#define COM_FUNCTION_NOT_SUPPORTED (-11)
#define COM_RS232_INVALID_DATA_BITS (-30)
#define COM_RS232_CONFIGURATION_ERROR (-31)
#define COM_INTERNAL_RESOURCES_ERROR (-32)
#define COM_NO_DEVICE_WITH_ID (-60)
#define ZR_UNKNOWN_AXIS_IDENTIFIER (-1001)
#define ZR_UNEXPECTED_RESPONSE (-1004)
#define ZR_CONTROLLER_BUSY (-1008)
#define ZR_COULD_NOT_START_THREAD (-1009)
#define ZR_IN_MACRO_MODE (-1010)
#define ZR_MACRO_EMPTY_OR_NOT_FOUND (-1013)
#define ZR_INVALID_ARGUMENT (-1015)
#define ZR_AXIS_ALREADY_EXISTS (-1016)
#define ZR_ARRAY_RANGE_MISMATCH (-1019)
#define ZR_INVALID_SPA_PARAMETER_ID (-1020)
#define ZR_MOTION_ERROR (-1024)
#define ZR_PARAMETER_FILE_PROTECTED (-1035)
#define ZR_NO_PARAMETER_FILE_OPEN (-1036)
#define ZR_STAGE_DOES_NOT_EXIST (-1037)
#define ZR_PARAMETER_FILE_ALREADY_OPEN (-1038)
#define ZR_CANNOT_OPEN_PARAMETER_FILE (-1039)
#define ZR_STAGE_NAME_NOT_UNIQUE (-1049)
#define ZR_STAGE_DATABASE_NOT_FOUND (-1053)
#define ZR_PARAMETER_DAT_FILE_INVALID_VERSION (-1077)
#define ZR_CANNOT_WRITE_PARAMETER_DAT_FILE (-1078)
#define ZR_CANNOT_CREATE_PARAMETER_DAT_FILE (-1079)
#define ZR_PARAMETER_DAT_FILE_INVALID_REVISION (-1080)
#define ZR_USERSTAGES_DAT_FILE_INVALID_REVISION (-1081)

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the text of an error number, with its terminating NUL, into buffer (size bytes). FALSE,
 * with the buffer untouched, when the text and its NUL do not fit or size is 0 or less. A number
 * without a text gives "Unknown Error - number " and the number. Needs no connection; safe on
 * any thread. The text of -1077 names the address where current stage files are published,
 * https://zr-corvane.invalid/stages unless the library was built with another
 * ZR_STAGE_FILES_ADDRESS. */
ZR_CORVANE_API ZR_BOOL Corvane_TranslateError(int errorNumber, char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* ZR_CORVANE_TAL_H */
