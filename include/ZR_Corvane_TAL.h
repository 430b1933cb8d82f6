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

/* How the functions below work.
 *
 * Controller ID: Corvane_ConnectRS232 returns it (0 for the first controller, then 1, 2, ...); it
 * stays valid until Corvane_CloseConnection or the unloading of the library, and a closed ID is
 * never given again. A function that takes an ID and finds no controller under it returns FALSE
 * (or 0) and stores no error anywhere.
 *
 * Errors: a function that fails returns FALSE and leaves an error number in the controller, where
 * Corvane_GetError (or Corvane_qERR) reads and clears it. "Leaves" below names the numbers a
 * function itself leaves; any function that talks to the boards can also leave the error of the
 * serial line (COM_TIMEOUT, SEND_ERROR, NOT_CONNECTED_ERROR, ...).
 *
 * Text results: buffer is the caller's, size its length in bytes. It must hold the text and its
 * terminating NUL; a text that does not fit (or a null buffer, or size 0 or less) leaves
 * COM_BUFFER_OVERFLOW and the buffer untouched.
 *
 * Macro mode: while a macro is being recorded, the queries refuse with ZR_IN_MACRO_MODE.
 *
 * Threads: any thread may call; the exchanges with the boards of one controller are serialised
 * inside the library. Closing an ID must not overlap with other calls on that same ID; connecting
 * may overlap with calls on other IDs. */

/* Opens COM<port> (on Linux the device named by the environment variable WINPORT_COM<port>, else
 * the registry's serial port map, else the machine's ports in order) at baudRate with 8 data bits,
 * no parity, one stop bit and no handshake, and scans the daisy chain for boards (addresses 0 up
 * to the number set with Corvane_SetMaxNrOfControllers, 16 unless set). Returns the new ID, or -1
 * when the port does not open, no board answers, or a board reports an error; the reason is only
 * in the log, and a failed attempt uses up no ID. */
ZR_CORVANE_API int Corvane_ConnectRS232(int port, int baudRate);

/* TRUE while ID names a connected controller. Does not talk to the boards. */
ZR_CORVANE_API ZR_BOOL Corvane_IsConnected(int ID);

/* Ends the connection: a running reference move is told to stop and waited for, the serial port
 * is closed and the ID becomes invalid for good. Nothing for an invalid ID. */
ZR_CORVANE_API void Corvane_CloseConnection(int ID);

/* Returns and clears the controller's error: first the library-side error, else the error the
 * boards reported. With neither pending, it first reads the status of every axis that has a stage
 * and was initialised with Corvane_INI (a board error found then is returned). 0: no error;
 * ZR_IN_MACRO_MODE while a macro is being recorded and nothing else is pending; -9 ("There is no
 * interface or DLL handle with the given ID") for an invalid ID. */
ZR_CORVANE_API int Corvane_GetError(int ID);

/* Writes the text of an error number, with its terminating NUL, into buffer (size bytes). FALSE,
 * with the buffer untouched, when the text and its NUL do not fit or size is 0 or less. A number
 * without a text gives "Unknown Error - number " and the number. Needs no connection; safe on
 * any thread. The text of -1077 names the address where current stage files are published,
 * https://zr-corvane.invalid/stages unless the library was built with another
 * ZR_STAGE_FILES_ADDRESS. */
ZR_CORVANE_API ZR_BOOL Corvane_TranslateError(int errorNumber, char* buffer, int size);

/* Stores the error-check flag and returns the previous one (1 after connecting); -9 for an
 * invalid ID. The command-string interface clears it while
 * it runs a command string; no function changes its behaviour by it. */
ZR_CORVANE_API int Corvane_SetErrorCheck(int ID, ZR_BOOL flag);

/* Identification: "Telvar Motion,Corvane TAL Network,,2.2.0.38" and a line feed (44 characters,
 * so size must be 45 or more). Asks no board. Leaves COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qIDN(int ID, char* buffer, int size);

/* Stores in *error what Corvane_GetError would return (and clears it). Leaves ZR_IN_MACRO_MODE
 * (and stores nothing in *error) while a macro is being recorded. error may be null. */
ZR_CORVANE_API ZR_BOOL Corvane_qERR(int ID, int* error);

/* Initialises the named axes (all axes with a stage for a null or empty string): sends the
 * stage's control parameters, velocity and acceleration to each board and moves an axis off an
 * active limit switch. An axis named twice is initialised once. Leaves ZR_UNKNOWN_AXIS_IDENTIFIER,
 * ZR_CNTR_INVALID_STAGE_NAME (an axis without stage), ZR_CNTR_NO_STAGE_CONNECTED (empty string,
 * no axis has a stage), ZR_CONTROLLER_BUSY (a reference move runs), ZR_INVALID_ARGUMENT (more
 * than 16 axes named). */
ZR_CORVANE_API ZR_BOOL Corvane_INI(int ID, const char* axes);

/* Reference moves. An axis must be referenced before it can be moved to absolute positions. A
 * reference move runs in a thread of the library, one per controller at a time, and works through
 * its axes one after the other; the call that starts it returns once the first axis is under way
 * (TRUE), or after 3 s without that (FALSE, no error number; the procedure is then told to stop
 * and ends on its own). While it runs, the other commands of the controller refuse with
 * ZR_CONTROLLER_BUSY, except Corvane_HLT and Corvane_STP (which interrupt it),
 * Corvane_IsReferencing, Corvane_qREF, Corvane_GetStatus, Corvane_qSRG, the export forms of
 * Corvane_DFF, Corvane_qDFF and Corvane_qLIM, and the raw native text. A failing axis does not end
 * the move: its result is 0 and the reason is left for Corvane_GetError (ZR_MOTION_ERROR,
 * ZR_CNTR_ON_LIMIT_SWITCH when a limit switch is reached during the edge search,
 * ZR_CNTR_COMMUNICATION_ERROR when the board does not take the new home,
 * ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO when the motor is off, or a serial line's error).
 * Closing the connection stops a running reference move and waits for its thread. */

/* Finds the reference switch of each axis (all axes with a stage for a null or empty string):
 * an axis standing in a limit switch first moves out of it at a tenth of its velocity, then the
 * axis moves to the side of the switch where the reference signal is low (high with
 * ZR_PARA_MOT_REF_INVERT), the board searches the switch's edge at the reference velocity, and the
 * edge becomes the home: there the axis's position is ZR_PARA_MOT_WERT_BEI_REF. Afterwards the
 * board has the axis's velocity again. An axis without reference switch is skipped (result 0,
 * referenced state unchanged). While a macro is being recorded, records the board's own reference
 * run for the macro's axis instead (axes must be that axis's identifier and it must have a
 * reference switch, else ZR_CNTR_MACRO_RECORD_ERROR). Leaves ZR_UNKNOWN_AXIS_IDENTIFIER,
 * ZR_CNTR_INVALID_STAGE_NAME, ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO (axis not initialised),
 * ZR_CNTR_NO_STAGE_CONNECTED (no axis has a stage), ZR_INVALID_ARGUMENT (more than 16 axes),
 * ZR_CONTROLLER_BUSY; a refused start leaves a running reference move as it is. */
ZR_CORVANE_API ZR_BOOL Corvane_REF(int ID, const char* axes);

/* Like Corvane_REF, but each axis runs into its positive limit switch (MPL) or its negative one
 * (MNL), backs out of it at a tenth of its velocity, and the point where it stops becomes the
 * home: there its position is ZR_PARA_MOT_MAX_TRAVEL (MPL) or ZR_PARA_MOT_MIN_TRAVEL (MNL). A
 * rotary axis or one without limit switches is skipped (result 0). Leaves the errors of
 * Corvane_REF, and ZR_IN_MACRO_MODE while a macro is being recorded. */
ZR_CORVANE_API ZR_BOOL Corvane_MNL(int ID, const char* axes);
ZR_CORVANE_API ZR_BOOL Corvane_MPL(int ID, const char* axes);

/* Whether each axis has a reference switch (ZR_PARA_MOT_HAT_REF). Also while a reference move
 * runs. Leaves ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_CNTR_INVALID_STAGE_NAME, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qREF(int ID, const char* axes, ZR_BOOL* hasReference);

/* TRUE for an axis whose reference procedure is running now, FALSE for the others (also for
 * axes of the move still waiting for their turn). With a null or empty axis string, one value in
 * isReferencing[0]: whether a reference move of the controller runs at all. */
ZR_CORVANE_API ZR_BOOL Corvane_IsReferencing(int ID, const char* axes, ZR_BOOL* isReferencing);

/* Result of each axis's last reference procedure: 1 succeeded, 0 failed, interrupted or
 * skipped. Refuses with ZR_CONTROLLER_BUSY until the reference move has ended. */
ZR_CORVANE_API ZR_BOOL Corvane_GetRefResult(int ID, const char* axes, int* results);

/* Whether each axis is referenced. Refuses with ZR_CONTROLLER_BUSY while a reference move runs. */
ZR_CORVANE_API ZR_BOOL Corvane_IsReferenceOK(int ID, const char* axes, ZR_BOOL* referenced);

/* Starts the boards' own search of the reference edge for each axis, in the direction the
 * reference signal gives, and returns at once (nothing is waited for, no position is changed).
 * Every edge ID must be 3 (the reference signal), else the controller error becomes
 * ZR_INVALID_ARGUMENT and nothing is sent; the edge parameters are not used. Leaves the axis
 * errors of Corvane_REF, ZR_CONTROLLER_BUSY, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_FED(int ID, const char* axes, const int* edgeIDs,
                                   const int* edgeParameters);

/* Sets the library-wide choice of how board features are found for controllers connected
 * afterwards: TRUE (the default) from the boards' version and checksum texts, by trying commands
 * only where those are unknown; FALSE by trying commands always. Returns the previous choice.
 * Needs no connection. */
ZR_CORVANE_API int Corvane_CheckFeaturesByControllerVersion(ZR_BOOL flag);

/* The 64 characters that may name an axis, in this order: A to Z, 1 to 9, 0, then "@?>=<;:",
 * "`_^]\[" and "/.-,+*)('&%$#\"!" (size must be 65 or more). Leaves COM_BUFFER_OVERFLOW,
 * ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qTVI(int ID, char* buffer, int size);

/* Renames axes: the n-th character of newAxes becomes the identifier of the n-th axis of oldAxes
 * (case does not matter; identifiers are kept in upper case). Nothing is changed when anything
 * is wrong. Leaves ZR_CNTR_PARAMETER_SYNTAX_ERROR (empty oldAxes), ZR_UNKNOWN_AXIS_IDENTIFIER,
 * ZR_CNTR_INVALID_STAGE_NAME (an axis without stage), ZR_CNTR_INVALID_AXIS_IDENTIFIER (a character
 * not listed by Corvane_qTVI, one already in use, or newAxes too short), ZR_AXIS_ALREADY_EXISTS
 * (a new identifier given twice), ZR_CONTROLLER_BUSY, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_SAI(int ID, const char* oldAxes, const char* newAxes);

/* Identifiers of the axes that have a stage, in board order. Leaves COM_BUFFER_OVERFLOW,
 * ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qSAI(int ID, char* buffer, int size);

/* Sends native board text as it stands. A null or empty text sends nothing (TRUE). A text that
 * starts with a control character (such as the select byte 0x01 and an address character) is sent
 * byte by byte without a line end; any other text as one line ending in CR. After a text that
 * contains the select byte, the library selects its board again before its own next command.
 * Leaves the serial line's error. */
ZR_CORVANE_API ZR_BOOL Corvane_SendNonTALString(int ID, const char* text);

/* Takes the next line the boards sent, without its line end (CR LF ETX), into buffer. Leaves
 * COM_TIMEOUT when no line arrives within the time-out (5 s), COM_BUFFER_OVERFLOW when the line
 * does not fit (the line is then consumed; a null buffer or size 0 or less consumes nothing), or
 * the serial line's error. */
ZR_CORVANE_API ZR_BOOL Corvane_ReceiveNonTALString(int ID, char* buffer, int size);

/* The help text: 73 lines of the TAL commands, each but the last ending in " \n"; 3225
 * characters, so size must be 3226 or more. Leaves COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qHLP(int ID, char* buffer, int size);

/* Identifiers of all boards found on the chain, with or without stage, in board order. Leaves
 * COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qSAI_ALL(int ID, char* buffer, int size);

/* Connects like Corvane_ConnectRS232, on the serial port the user picks in the modal "Connect"
 * dialog (port and baud rate). szKey names where the interface settings are saved, in parts
 * separated by backslashes or slashes below HKEY_CURRENT_USER\Software; null or "" means the key
 * "ZR\\ZR_CORVANE_TAL_DLL" (in C notation). Before the dialog opens, 9600 baud and handshake
 * "NONE" are saved under the key, so the dialog offers 9600 and the saved port; data bits, parity
 * and stop bits come from the saved settings unchanged. OK opens the chosen port, saves the
 * choice under the key and scans the daisy chain. Returns the new ID, or -1 when the user
 * cancels, no serial port exists, there is no display (then at once, with a log line), the port
 * does not open or no board answers; the reason is only in the log, and a failed attempt uses up
 * no ID. Any thread may call; in an application that runs wxWidgets itself, only its GUI thread.
 * On a controller connected this way, Corvane_ReceiveNonTALString keeps the line end (CR LF ETX)
 * of the lines it takes. */
ZR_CORVANE_API int Corvane_InterfaceSetupDlg(const char* szKey);

/* Version texts: "ZR_Corvane_TAL_DLL: 2.2.0.38", then for every board " \n", its axis
 * identifier, ":" and the board's own version text, and a final "\n". Asks every board. Leaves
 * COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE, or the serial line's error of the board that did not
 * answer. */
ZR_CORVANE_API ZR_BOOL Corvane_qVER(int ID, char* buffer, int size);

/* Stage assignment. A stage is a named parameter set from the stage catalogue, which merges, in
 * this priority: the maker's database zrstages2.dat (read-only), the user's database
 * corvaneuserstages2.dat (created when missing; an old corvaneuserstages.dat is converted into it
 * once, and left as it is) and single-stage files (read-only stage files with a valid checksum
 * holding one stage). The files lie in the folder of the host program, or in the folder named by
 * the value "Path" of HKLM "Software\ZR\TALTranslator" when it is set; single-stage files are the
 * other ".dat" files of that folder. The files are read again at every call. */

/* Gives each axis of axes the stage named at the same position in names (names separated by
 * blanks, case does not matter). "NOSTAGE" takes the stage away. Nothing is sent to the boards:
 * Corvane_INI brings the stage's parameters to them. Axes handled before a failure keep their new
 * stage. Leaves ZR_CNTR_PARAMETER_SYNTAX_ERROR (empty axes, or not one name per axis),
 * ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_CNTR_INVALID_STAGE_NAME (unknown name, or a stage for the other
 * motor type), ZR_STAGE_DATABASE_NOT_FOUND (no maker database, and the name is found nowhere),
 * ZR_USERSTAGES_DAT_FILE_INVALID_REVISION, ZR_CONTROLLER_BUSY, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_CST(int ID, const char* axes, const char* names);

/* The stage of each axis of axes (all boards found for a null or empty string), one line
 * "<axis>=<stage>" each ("NOSTAGE" for an axis without stage), lines separated by " \n", the last
 * ending in "\n". Leaves ZR_UNKNOWN_AXIS_IDENTIFIER, COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qCST(int ID, const char* axes, char* buffer, int size);

/* The names of all stages the catalogue offers for Corvane boards, in byte order, each followed
 * by " \n", then "NOSTAGE" and "\n". A null buffer only checks that the catalogue can be read.
 * Leaves ZR_STAGE_DATABASE_NOT_FOUND (no stage at all and no maker database),
 * ZR_USERSTAGES_DAT_FILE_INVALID_REVISION, COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qVST(int ID, char* buffer, int size);

/* Saves the current parameter set of each axis of axes (the axes with a stage for a null or empty
 * string) in the user's database under its stage name; on a stepper board the counts per
 * unit are stored for full steps (divided by 16). Nothing is added when a name is already there
 * (ZR_STAGE_NAME_NOT_UNIQUE); otherwise the sets are added in order and the first failure ends
 * the call. Leaves ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_STAGE_NAME_NOT_UNIQUE,
 * ZR_CNTR_INVALID_STAGE_NAME (an empty name or one with other characters than A-Z, 0-9 and
 * ".@_-+&"), ZR_CANNOT_CREATE_PARAMETER_DAT_FILE (the user database cannot be opened or created,
 * or is damaged: it is then left untouched), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE. */
ZR_CORVANE_API ZR_BOOL Corvane_AddStage(int ID, const char* axes);

/* Removes the stage of that name (case does not matter) from the user's database; the maker's
 * database and single-stage files are never changed. Leaves ZR_STAGE_DOES_NOT_EXIST,
 * ZR_CNTR_INVALID_STAGE_NAME (longer than 31 characters), ZR_CANNOT_CREATE_PARAMETER_DAT_FILE,
 * ZR_CANNOT_WRITE_PARAMETER_DAT_FILE. */
ZR_CORVANE_API ZR_BOOL Corvane_RemoveStage(int ID, const char* name);

/* No stage edit dialogs exist in this library: both return NULL and leave
 * COM_FUNCTION_NOT_SUPPORTED (read with Corvane_GetError). Stage files are edited with the
 * stagetool program. */
ZR_CORVANE_API void* Corvane_OpenUserStagesEditDialog(int ID);
ZR_CORVANE_API void* Corvane_OpenZrStagesEditDialog(int ID);

/* Motion. Positions, distances and velocities are in the stage's unit (mm, degrees, ...) scaled
 * by the axis factor (Corvane_DFF, 1 unless set): a position x stands for x times the factor
 * stage units. The values arrays run parallel to axes, one value per character. A command that
 * sets something needs a non-empty axes (else ZR_CNTR_PARAMETER_SYNTAX_ERROR); a query given a
 * null or empty axes answers for every axis that has a stage, in board order, so its array must
 * then hold 16 values. Every axis named must have a stage (ZR_CNTR_INVALID_STAGE_NAME) and, except
 * for Corvane_qLIM, Corvane_qSRG and Corvane_GetStatus, be initialised with Corvane_INI
 * (ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO); a character that names no axis leaves
 * ZR_UNKNOWN_AXIS_IDENTIFIER. While a reference move runs, all of them except Corvane_HLT,
 * Corvane_STP, Corvane_DFF, Corvane_qDFF, Corvane_qLIM, Corvane_qSRG and Corvane_GetStatus leave
 * ZR_CONTROLLER_BUSY. A null values array leaves ZR_INVALID_ARGUMENT.
 *
 * Macro recording: Corvane_MVR, Corvane_DFH, Corvane_GOH, Corvane_VEL, Corvane_SVO, Corvane_BRA
 * and Corvane_HLT are recorded into the macro instead of being carried out, for the macro's axis
 * only (any other axes: ZR_CNTR_MACRO_RECORD_ERROR); the library's own records (targets,
 * velocity, servo and brake state) stay as they are, since nothing has moved. Corvane_STP records
 * one stop. Corvane_qSRG and Corvane_GetStatus work as usual; all other motion functions leave
 * ZR_IN_MACRO_MODE.
 *
 * Positions and the direction sign. Each axis keeps a home position (Corvane_DFH) and an offset
 * between the board's counter and the position (set by Corvane_POS and by the reference moves).
 * For a stage with the normal direction (parameter ZR_PARA_MOT_INVERT 1) positions are always
 * consistent: Corvane_MOV to x and then Corvane_qPOS and Corvane_qMOV give x, Corvane_POS x
 * makes the current place read x. For a stage with reversed direction (ZR_PARA_MOT_INVERT -1) the
 * board is sent the negated target, and the library keeps its established arithmetic, which is
 * consistent only while the offset is 0 (after Corvane_INI and until Corvane_POS or a reference
 * move sets it): with an offset of c counts, Corvane_qPOS after Corvane_MOV to x reads
 * x + 2c / (counts per unit x factor), and Corvane_POS x itself makes the place read -x (with
 * home 0). On such stages rely on Corvane_MOV, Corvane_MVR and Corvane_qPOS after Corvane_INI,
 * and use Corvane_qPOS readings, not the values given to Corvane_POS, once an offset is set. */

/* Moves the axes to absolute positions. Every axis is checked before any is moved: servo on
 * (asked from the board), not under joystick control, referenced, and the position within the
 * travel range (Corvane_qTMN..Corvane_qTMX). Leaves ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO (not
 * referenced or servo off), ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL, ZR_CNTR_POSITION_OUT_OF_LIMITS. */
ZR_CORVANE_API ZR_BOOL Corvane_MOV(int ID, const char* axes, const double* positions);

/* The target of each axis, as the board reports it. */
ZR_CORVANE_API ZR_BOOL Corvane_qMOV(int ID, const char* axes, double* positions);

/* Moves the axes by distances from their last target. An axis that is referenced, or whose
 * reference mode (Corvane_RON) is on and which has a reference or limit switches, is range-checked
 * and its target follows the move; an axis with reference mode off that was never referenced
 * moves without a range check and keeps its target. Axes with reference mode on must be
 * referenced. The servo state the library last knew is used. Leaves
 * ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO, ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL,
 * ZR_CNTR_POSITION_OUT_OF_LIMITS (nothing moves then). */
ZR_CORVANE_API ZR_BOOL Corvane_MVR(int ID, const char* axes, const double* distances);

/* The current position of each axis. */
ZR_CORVANE_API ZR_BOOL Corvane_qPOS(int ID, const char* axes, double* positions);

/* Declares the current place of each axis to be the given position and marks the axis
 * referenced; nothing moves and the board's counter is not changed. Refused for an axis whose
 * reference mode is on while it has a reference or limit switches (switch it off with
 * Corvane_RON first). Leaves ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE,
 * ZR_CNTR_POSITION_OUT_OF_LIMITS (a position that is no finite number, whose counts would have
 * the other sign than the position, or that the board's 32-bit counter cannot hold). */
ZR_CORVANE_API ZR_BOOL Corvane_POS(int ID, const char* axes, const double* positions);

/* Moving state: for a null or empty axes moving[0] is TRUE when any axis with a stage moves;
 * otherwise one value per axis. An R-220 axis whose board reports a motion error counts as not
 * moving, and the call returns FALSE with ZR_MOTION_ERROR. */
ZR_CORVANE_API ZR_BOOL Corvane_IsMoving(int ID, const char* axes, ZR_BOOL* moving);

/* TRUE for each axis whose board has finished its trajectory. */
ZR_CORVANE_API ZR_BOOL Corvane_qONT(int ID, const char* axes, ZR_BOOL* onTarget);

/* TRUE for each axis whose stage has limit switches. Axes need a stage only. */
ZR_CORVANE_API ZR_BOOL Corvane_qLIM(int ID, const char* axes, ZR_BOOL* hasLimitSwitches);

/* The travel range of each axis as positions, measured from the home position. */
ZR_CORVANE_API ZR_BOOL Corvane_qTMN(int ID, const char* axes, double* minimum);
ZR_CORVANE_API ZR_BOOL Corvane_qTMX(int ID, const char* axes, double* maximum);

/* Reference mode (TRUE/FALSE per axis): with it on, the axis must be referenced before
 * relative moves and Corvane_POS is refused. All axes are checked first. Leaves
 * ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE (TRUE for a stage without reference and limit switches;
 * nothing changes then). */
ZR_CORVANE_API ZR_BOOL Corvane_RON(int ID, const char* axes, const ZR_BOOL* states);
ZR_CORVANE_API ZR_BOOL Corvane_qRON(int ID, const char* axes, ZR_BOOL* states);

/* Makes the current place of each axis its home position (read back in positions by
 * Corvane_qDFH); positions and travel limits are then reported from it. Nothing moves. */
ZR_CORVANE_API ZR_BOOL Corvane_DFH(int ID, const char* axes);
ZR_CORVANE_API ZR_BOOL Corvane_qDFH(int ID, const char* axes, double* homes);

/* Moves the axes to their home position (servo on and referenced needed). Leaves
 * ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO, ZR_CNTR_POSITION_OUT_OF_LIMITS (nothing moves then). */
ZR_CORVANE_API ZR_BOOL Corvane_GOH(int ID, const char* axes);

/* The factor of each axis (greater than 0): positions, distances and velocities are counted in
 * stage units divided by it. Travel limits and home keep their stored values. Axes handled before
 * a refused factor keep their new one. Leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE. */
ZR_CORVANE_API ZR_BOOL Corvane_DFF(int ID, const char* axes, const double* factors);
ZR_CORVANE_API ZR_BOOL Corvane_qDFF(int ID, const char* axes, double* factors);

/* Brakes (TRUE engages: motor off; FALSE releases: the motor returns to its state before). Axes
 * without a brake are skipped. Corvane_qBRA gives the identifiers of the axes with a brake; when
 * they do not fit into size bytes with their NUL it returns FALSE and leaves no error. */
ZR_CORVANE_API ZR_BOOL Corvane_BRA(int ID, const char* axes, const ZR_BOOL* states);
ZR_CORVANE_API ZR_BOOL Corvane_qBRA(int ID, char* buffer, int size);

/* Stops the axes smoothly, ending a reference move of theirs first. Returns TRUE and leaves
 * ZR_CNTR_STOPPED_BY_COMMAND, which the next Corvane_GetError returns. FALSE when a board
 * reports an error. */
ZR_CORVANE_API ZR_BOOL Corvane_HLT(int ID, const char* axes);

/* Stops every board at once, ending a running reference move first. Leaves
 * ZR_CNTR_STOPPED_BY_COMMAND; every board is told to stop even when one cannot be reached (the
 * call then returns FALSE with that board's serial line error). */
ZR_CORVANE_API ZR_BOOL Corvane_STP(int ID);

/* Servo (motor control loop) on (TRUE) or off (FALSE). Switching on forgets the target; a
 * stepper axis switched off is no longer referenced. Axes before a failure keep their change.
 * Leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE (a state other than 0 and 1). */
ZR_CORVANE_API ZR_BOOL Corvane_SVO(int ID, const char* axes, const ZR_BOOL* states);
ZR_CORVANE_API ZR_BOOL Corvane_qSVO(int ID, const char* axes, ZR_BOOL* states);

/* Velocity of each axis, from 0 up to the stage's maximum divided by the factor. Axes before a
 * refused velocity keep their new one. Leaves ZR_CNTR_VELOCITY_OUT_OF_LIMITS. */
ZR_CORVANE_API ZR_BOOL Corvane_VEL(int ID, const char* axes, const double* velocities);
ZR_CORVANE_API ZR_BOOL Corvane_qVEL(int ID, const char* axes, double* velocities);

/* ---- parameters -------------------------------------------------------------------------- */

/* Parameters by parameter ID, one item per character of axes (a non-empty axes, else
 * ZR_CNTR_PARAMETER_SYNTAX_ERROR; axes need no stage). parameterIDs and values run parallel to
 * axes; null arrays leave ZR_INVALID_ARGUMENT.
 *
 *  ID  value (unit)                                range             SPA? reads
 *   1  P-term (board gain)                        0..32767          board "GP"      not R-210
 *   2  I-term                                     0..32767          board "GI"      not R-210
 *   3  D-term                                     0..32767          board "GD"      not R-210
 *   4  I-limit                                    0..32767          board "GL"      not R-210
 *   8  maximum position error (stage units)       0..32767          stored          not R-210
 *  10  maximum velocity (stage units/s)           0..2147483647     stored
 *  11  current acceleration (stage units/s^2)     0..2147483647     stored
 *  14  counts per unit, numerator                 1..2147483647     stored
 *  15  counts per unit, denominator               1..2147483647     stored
 *  17  direction (-1 reversed, 1 normal)          -1 or 1           stored
 *  18  factor (as Corvane_DFF)                    above 0           Corvane_qDFF
 *  19  rotary stage (0/1)                         0..1              stored
 *  20  has reference switch (0/1)                 0..1              Corvane_qREF
 *  21  maximum travel (positions)                 +-2147483647      stored
 *  22  position at the reference switch           +-2147483647      stored
 *  23  reference switch to negative limit         0..2147483647     stored
 *  24  limit switch polarity (0 high, 3 low)      0 or 3            stored
 *  25  stage type (0 DC)                          0                 stored
 *  26  has brake (0/1; any non-zero value is 1)   0..1              stored
 *  47  reference switch to positive limit         0..2147483647     stored
 *  48  minimum travel (positions)                 +-2147483647      stored
 *  49  reference signal inverted (0/1)            0..1              stored
 *  50  no limit switches (0/1)                    0..1              stored
 *  54  settle window (counts)                     0..2147483647     board "WW?"     R-220 (2.40)
 *  60  stage name (text, see below)               -                 stored name
 *  63  settle time (s, sent in ms)                0..2147483647     board "WT?"     R-220 (2.40)
 *  64  stepper hold current (board units)         0..32767          stored          R-210 only
 *  65  stepper drive current                      0..32767          stored          R-210 only
 *  66  stepper hold time                          0..32767          stored          R-210 only
 *  67  stepper maximum current                    0..32767          stored          R-210 only
 *  73  velocity (as Corvane_VEL)                  0..2147483647     Corvane_qVEL
 *  74  maximum acceleration (stage units/s^2)     0..2147483647     stored
 *  80  reference search velocity (stage units/s)  0..ID 10 stored   stored
 * 148  notch filter frequency (Hz)                40..10000         board "FN?"     R-220 (2.40)
 * 149  notch filter edge (sent x 100 as "FQ")     0.4..10           board "FQ?"     R-220 (2.40)
 * 256  trackball mode (0/1, truncated)            0..1              board "JA?"     trackball
 * 257  trackball increment (joystick axis, whole) 1 or more         kept per board  trackball
 * 258  trackball filter                           any               board "SB?"     trackball+SB
 * 272  force control mode                         0..2              board "FM?"     R-220 (2.40)
 * 273  force control target                       -1000..1000       board "FA?"     R-220 (2.40)
 * 274  force control P-term                       0..65535          board "FP?"     R-220 (2.40)
 * 275  force control I-term                       0..65535          board "FI?"     R-220 (2.40)
 * 276  force control I-limit                      any               board "FL?"     R-220 (2.40)
 * 277  force control D-term                       0..65535          board "FD?"     R-220 (2.40)
 * 278  force offset                               -65535..65535     board "FO?"     R-220 (2.40)
 * 279  force low-pass filter                      40..10000         board "FT?"     R-220 (2.40)
 * 282  current force (read only)                  -                 board "TR"      R-220 (2.40)
 * 288  joystick table offset                      -128..128         board "JB?"     joystick table
 *
 * Values sent to a board are truncated to whole numbers (ID 8 is converted into counts with the
 * counts per unit and the factor, rounded). "any" means any finite number whose whole number fits
 * 32 bits. On an R-210 board ID 14 is kept as given, while stage files carry it for full steps and
 * the library multiplies those by 16 when a stage is assigned. */

/* Sets parameters. Every item is checked before anything is sent: an ID the axis's board does not
 * have, and ID 282, leave ZR_INVALID_SPA_PARAMETER_ID; a value outside its range (also NaN or
 * infinity, a number for the board beyond 32 bits, ID 80 above the stored ID 10 even when the same
 * call raises ID 10) leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE; nothing is changed then. strings holds
 * one line (ending in LF) per item with ID 60, in item order, leading spaces skipped: an empty
 * name, one with a blank or one longer than 31 characters leaves ZR_CNTR_INVALID_STAGE_NAME, also
 * before anything is sent. Then the items are applied in order; a failing send or operation ends
 * the call and the items before it stay applied. ID 10 below the current velocity first lowers the
 * velocity (nothing is stored when that fails); ID 11 above the stored ID 74 leaves
 * ZR_CNTR_VELOCITY_OUT_OF_LIMITS; ID 74 below the current acceleration lowers it first; ID 17 with
 * a new direction makes the axis unreferenced (reference result 0); IDs 18 and 73 work as
 * Corvane_DFF and Corvane_VEL (needing an initialised axis); IDs 20, 24 and 50 also set the
 * board's limit switch lines. While a macro is being recorded, the items may name only the
 * macro's axis (else ZR_CNTR_MACRO_RECORD_ERROR), their board commands are recorded and no stored
 * value changes (ID 18 then leaves ZR_IN_MACRO_MODE). Leaves ZR_UNKNOWN_AXIS_IDENTIFIER,
 * ZR_CONTROLLER_BUSY. */
ZR_CORVANE_API ZR_BOOL Corvane_SPA(int ID, const char* axes, const unsigned int* parameterIDs,
                                   const double* values, const char* strings);

/* Reads parameters into values (ID 60: 0, and the axis's stage name followed by LF is appended
 * to strings when the axis has one). Every ID is checked against its board before any is read
 * (ZR_INVALID_SPA_PARAMETER_ID). A name that does not fit into size bytes with the NUL leaves
 * COM_BUFFER_OVERFLOW. Leaves ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_CONTROLLER_BUSY, ZR_IN_MACRO_MODE,
 * and the errors of Corvane_qDFF and Corvane_qVEL for IDs 18 and 73. */
ZR_CORVANE_API ZR_BOOL Corvane_qSPA(int ID, const char* axes, const unsigned int* parameterIDs,
                                    double* values, char* strings, int size);

/* The parameters the boards support: "The following parameters are valid: \n", one line per ID
 * in ascending order ("0x1=\t0\t16\tFLOAT\tSERVO\tP-Term \n"; ID 60 has CHAR), then
 * "end of help\n" (50 lines). Asks no board. Leaves COM_BUFFER_OVERFLOW, ZR_IN_MACRO_MODE. */
ZR_CORVANE_API ZR_BOOL Corvane_qHPA(int ID, char* buffer, int size);

/* ---- end of parameters ------------------------------------------------------------------- */

/* Status registers. Register 3: the board's switch input byte as a signed 8-bit value. Another
 * register leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE; the other axes are still answered and the
 * call returns FALSE. */
ZR_CORVANE_API ZR_BOOL Corvane_qSRG(int ID, const char* axes, const int* registers, int* values);

/* One status item per axis: 1 negative limit switch active, 2 positive limit switch active, 3
 * reference signal, 4 moving, 5 the upper four input lines of an R-210 board (0 to 15), 6 servo
 * on. An unknown item, or 5 on an R-220 board, leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE and its
 * value untouched; the other axes are still answered and the call returns FALSE. */
ZR_CORVANE_API ZR_BOOL Corvane_GetStatus(int ID, const char* axes, const int* items, int* values);

/* Number of daisy-chain addresses (from 0) that later connects scan for boards: number clamped to
 * 1..16 (the default is 16). Returns the number now in force. Needs no connection; a small number
 * makes connecting faster when the boards' addresses are known. */
ZR_CORVANE_API int Corvane_SetMaxNrOfControllers(int number);

/* ---- Joysticks, digital and analog I/O, trigger outputs ------------------------------------
 *
 * Every board has four digital lines, named by four characters of the 64 listed by Corvane_qTVI
 * (board 0: "ABCD", board 1: "EFGH", ...), and analog input lines (channel number 4 x board + line:
 * lines 1 to 3, and 4 on a board with a joystick port). A board with a joystick port carries
 * joystick ID board + 1, with one axis and one button (both ID 1); a board that can trigger
 * carries trigger output ID board + 1. Lists of IDs run parallel to their value arrays, count
 * entries each, and are checked whole (ZR_CNTR_PARAMETER_OUT_OF_RANGE for an unknown joystick,
 * trigger output, axis or button ID) before anything is sent; value checks are made entry by
 * entry, so the entries before a refused one are done. For the queries below that take a list of
 * IDs, a null ID list means every joystick (or trigger output) in board order, and count must
 * then hold them all (else ZR_ARRAY_RANGE_MISMATCH). Any other null array or out pointer leaves
 * ZR_INVALID_ARGUMENT; a null text buffer or one too short leaves COM_BUFFER_OVERFLOW. The queries
 * refuse with ZR_IN_MACRO_MODE while a macro is being recorded (Corvane_GetInputChannelNames
 * does not); the setting functions are then recorded into the macro, and may name only channels,
 * joysticks or trigger outputs on the macro's board (else ZR_CNTR_MACRO_RECORD_ERROR; Corvane_DIO
 * exactly one channel). Only Corvane_DIO and Corvane_qDIO refuse with ZR_CONTROLLER_BUSY while a
 * reference move runs. */

/* The channel names of all boards ("ABCDEFGH" for two boards), cut to size - 1 characters, with a
 * NUL. Inputs and outputs are the same lines: both names are one function. A null buffer or size
 * 0 or less leaves COM_BUFFER_OVERFLOW and writes nothing. */
ZR_CORVANE_API ZR_BOOL Corvane_GetInputChannelNames(int ID, char* buffer, int size);
ZR_CORVANE_API ZR_BOOL Corvane_GetOutputChannelNames(int ID, char* buffer, int size);

/* Switches the digital output of each channel on (non-zero) or off (0). Leaves
 * ZR_CNTR_PARAMETER_SYNTAX_ERROR (no channel), ZR_CNTR_NO_DIGITAL_INPUT (unknown channel). */
ZR_CORVANE_API ZR_BOOL Corvane_DIO(int ID, const char* channels, const ZR_BOOL* flags);

/* The digital input of each channel (all channels, in order, for a null or empty string); each
 * board is asked once. Leaves ZR_CNTR_NO_DIGITAL_INPUT. */
ZR_CORVANE_API ZR_BOOL Corvane_qDIO(int ID, const char* channels, ZR_BOOL* states);

/* Number of digital inputs and outputs: 4 per board each. */
ZR_CORVANE_API ZR_BOOL Corvane_qTIO(int ID, int* inputs, int* outputs);

/* Number of analog input channels, and the voltage of one (reading x 5.0 / 255, 0 to 5 V).
 * Leaves ZR_CNTR_INVALID_ANALOG_INPUT for a channel number that names no analog input. */
ZR_CORVANE_API ZR_BOOL Corvane_qTAC(int ID, int* count);
ZR_CORVANE_API ZR_BOOL Corvane_qTAV(int ID, int channel, double* volts);

/* Joystick control of each joystick's axis on (flag 1) or off (any other flag), at the axis's
 * velocity. Switching on limits a referenced axis to its travel range where the board can do so;
 * the limits sent are the travel limits in counts, computed from the stored limits with the axis
 * factor applied once more and without the direction sign, plus home and offset (exact for
 * factor 1 and the normal direction). Afterwards the joystick state is read from the board;
 * Corvane_MOV refuses axes under joystick control. Leaves ZR_CNTR_PARAMETER_MISSING (a null array
 * or count below 1). */
ZR_CORVANE_API ZR_BOOL Corvane_JON(int ID, const int* joysticks, const ZR_BOOL* flags, int count);

/* Whether each joystick controls its axis: asked from boards that can tell, else as last read. */
ZR_CORVANE_API ZR_BOOL Corvane_qJON(int ID, const int* joysticks, ZR_BOOL* states, int count);

/* Number of joysticks. */
ZR_CORVANE_API ZR_BOOL Corvane_qTNJ(int ID, int* count);

/* The axis identifier each joystick moves, entries separated by " \n", the text ending in "\n".
 * Asks no board. Leaves ZR_CNTR_PARAMETER_SYNTAX_ERROR for a null array. */
ZR_CORVANE_API ZR_BOOL Corvane_qJAX(int ID, const int* joysticks, const int* joystickAxes,
                                    int count, char* buffer, int size);

/* Loads a joystick table on each board: type 1 (linear) or 3 (the board's second table); waits
 * up to 2 s for each board's confirmation (not while a macro is being recorded, since the line
 * then goes into the macro). The serial time-out is as before afterwards. The first failed send
 * ends the call with FALSE. Leaves ZR_CNTR_PARAMETER_MISSING, ZR_CNTR_PARAMETER_OUT_OF_RANGE
 * (another type). */
ZR_CORVANE_API ZR_BOOL Corvane_JDT(int ID, const int* joysticks, const int* tableTypes, int count);

/* Whether each joystick's button is pressed (reading above 100), and the position of each
 * joystick's axis (-1.0 to +1.0). */
ZR_CORVANE_API ZR_BOOL Corvane_qJBS(int ID, const int* joysticks, const int* buttons,
                                    ZR_BOOL* pressed, int count);
ZR_CORVANE_API ZR_BOOL Corvane_qJAS(int ID, const int* joysticks, const int* joystickAxes,
                                    double* values, int count);

/* Writes count values (-1.0 to +1.0, stored in steps of 1/1024) into the joystick's table from
 * address start (1 to 256; start + count at most 257). Leaves ZR_CNTR_PARAMETER_OUT_OF_RANGE
 * (nothing is sent then). */
ZR_CORVANE_API ZR_BOOL Corvane_JLT(int ID, int joystick, int joystickAxis, int start,
                                   const double* values, int count);

/* Starts reading rows start .. start + rows - 1 of the joysticks' tables (both arrays null: every
 * joystick, axis 1) in the background and returns at once with the header of the table as a
 * data-array text ("# VERSION = 1" ... "# END_HEADER\n") in header, and in *values a buffer of
 * rows x count values, row by row, owned by the library and valid until the next Corvane_qJLT.
 * Row r is final once Corvane_GetAsyncBufferIndex reaches (r + 1) x count; a row that could not
 * be read stays 0.0, the reason is left for Corvane_GetError, and the count still reaches the end.
 * One read per controller at a time (ZR_CONTROLLER_BUSY); closing the connection ends a read.
 * Leaves ZR_CNTR_PARAMETER_MISSING (only one array null, count below 1, or no joystick),
 * ZR_CNTR_PARAMETER_OUT_OF_RANGE (start or rows below 1, start above 256, start + rows above
 * 257), ZR_COULD_NOT_START_THREAD. */
ZR_CORVANE_API ZR_BOOL Corvane_qJLT(int ID, const int* joysticks, const int* joystickAxes,
                                    int count, int start, int rows, double** values, char* header,
                                    int size);
/* Number of final values of the buffer of the last Corvane_qJLT; 0 for an invalid ID. */
ZR_CORVANE_API int Corvane_GetAsyncBufferIndex(int ID);

/* Trigger parameters, values given as text separated by blanks (one per entry): 1 the trigger
 * value in position units (sent with the home position added, which Corvane_qCTO does not take
 * away again), 2 the axis of the output's board (its identifier, one character, also a digit),
 * 3 the mode (8, 7 or 0; it takes effect at once only while the output is on, else when
 * Corvane_TRO switches it on), 10 a trigger position within the travel range. Leaves
 * ZR_CNTR_PARAMETER_MISSING, ZR_CNTR_PARAMETER_SYNTAX_ERROR (not one value per entry, or no
 * finite number), ZR_CNTR_PARAMETER_OUT_OF_RANGE (another parameter, axis or mode),
 * ZR_CNTR_POSITION_OUT_OF_LIMITS (also a value the board's 32-bit counter cannot hold); nothing
 * is sent then. */
ZR_CORVANE_API ZR_BOOL Corvane_CTO(int ID, const int* outputs, const int* parameters,
                                   const char* values, int count);

/* One line per entry, separated by " \n", the text ending in "\n" (null outputs: parameters 1,
 * 2, 3 and 10 of every trigger output, so count must be 4 per output). Leaves
 * ZR_UNEXPECTED_RESPONSE for a mode the board reports that has no TAL number. */
ZR_CORVANE_API ZR_BOOL Corvane_qCTO(int ID, const int* outputs, const int* parameters,
                                    char* buffer, int count, int size);

/* Switches each trigger output on (flag 1, with its mode) or off; whether each is on. */
ZR_CORVANE_API ZR_BOOL Corvane_TRO(int ID, const int* outputs, const ZR_BOOL* flags, int count);
ZR_CORVANE_API ZR_BOOL Corvane_qTRO(int ID, const int* outputs, ZR_BOOL* states, int count);

/* ---- end of joysticks, digital and analog I/O, trigger outputs ----------------------------- */

/* ---- macros --------------------------------------------------------------------------------
 * Each board keeps macros 0 to 31 of up to 16 native commands and runs them by itself. A macro
 * is named by the identifier of the axis whose board keeps it, "MC" and its number: "AMC5" is
 * macro 5 on the board of axis A, "AMC" macro 0. A name that does not parse leaves
 * ZR_CNTR_INVALID_MAC_PARAMETER and sends nothing. While a reference move runs the macro
 * commands leave ZR_CONTROLLER_BUSY (Corvane_DEL excepted).
 *
 * Between Corvane_MAC_BEG and Corvane_MAC_END the commands that act on the macro's axis (MVR,
 * VEL, SVO, BRA, DFH, GOH, HLT, STP, INI, REF, SPA, DIO, JON, JDT, JLT, CTO, TRO, DEL, WAC, MEX,
 * MAC_START) are recorded instead of carried out; naming another axis, channel, joystick or
 * trigger output leaves ZR_CNTR_MACRO_RECORD_ERROR; a 17th command ZR_CNTR_MACRO_MEMORY_FULL;
 * queries, MPL, MNL, FED, MAC_BEG, MAC_NSTART, MAC_DEL and qMAC leave ZR_IN_MACRO_MODE. */

/* Starts recording the macro name. */
ZR_CORVANE_API ZR_BOOL Corvane_MAC_BEG(int ID, const char* name);

/* Ends recording and stores the macro on its board (it takes a little over a second). FALSE,
 * with nothing stored, when an error happened while recording (it stays for Corvane_GetError),
 * when nothing was recorded (ZR_MACRO_EMPTY_OR_NOT_FOUND), or when the board did not take the
 * macro (ZR_CNTR_MACRO_MEMORY_FULL, or the error of the serial line). Recording ends in every
 * case. Outside recording: ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE. */
ZR_CORVANE_API ZR_BOOL Corvane_MAC_END(int ID);

/* Starts the macro once (while recording: records the start; the macro must be on the board
 * being recorded for, else ZR_CNTR_MACRO_RECORD_ERROR), or repetitions times (1 to 65536, else
 * ZR_CNTR_INVALID_MAC_PARAMETER). The macro runs on the board; the library's target of that axis
 * is no longer known. */
ZR_CORVANE_API ZR_BOOL Corvane_MAC_START(int ID, const char* name);
ZR_CORVANE_API ZR_BOOL Corvane_MAC_NSTART(int ID, const char* name, int repetitions);

/* Deletes the macro from its board. */
ZR_CORVANE_API ZR_BOOL Corvane_MAC_DEL(int ID, const char* name);

/* With a name: the macro as TAL lines, separated by " \n", the text ending in "\n" (a command
 * without a TAL form as <non TAL: "..."> ). With a null or empty name: the names of the stored
 * macros of every board, separated by " \n", ending in "\n". A null buffer or size below 1, or
 * a text that does not fit, leaves COM_BUFFER_OVERFLOW; a macro too long for the buffer leaves
 * its native text there as "<non TAL: ...>\n" when that fits. */
ZR_CORVANE_API ZR_BOOL Corvane_qMAC(int ID, const char* name, char* buffer, int size);

/* Only while recording (else ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE): the macro waits until the
 * condition holds. "ONT? <axis> = 1" (the macro's axis) waits for the end of the move;
 * "DIO? <channel> = 0|1" for a digital line of the macro's board. Any other condition leaves
 * ZR_CNTR_PARAMETER_SYNTAX_ERROR; a channel or axis of another board
 * ZR_CNTR_INVALID_MAC_PARAMETER. */
ZR_CORVANE_API ZR_BOOL Corvane_WAC(int ID, const char* condition);

/* Only while recording: the macro ends when the condition holds: "DIO? <channel> = 0|1" or
 * "JBS? <joystick> 1 = 0|1" (the macro's board). Errors as Corvane_WAC. */
ZR_CORVANE_API ZR_BOOL Corvane_MEX(int ID, const char* condition);

/* Waits 0 to 65535 milliseconds (else ZR_CNTR_PARAMETER_OUT_OF_RANGE): the board waits, and
 * outside recording the call returns once that time has passed. */
ZR_CORVANE_API ZR_BOOL Corvane_DEL(int ID, int milliseconds);

/* Whether a macro is being recorded; whether a board runs a macro (asked of the boards of the
 * axes that have a stage and answer the single status byte; 0 while a reference move runs). A
 * null out pointer leaves ZR_INVALID_ARGUMENT. */
ZR_CORVANE_API ZR_BOOL Corvane_IsRecordingMacro(int ID, ZR_BOOL* recording);
ZR_CORVANE_API ZR_BOOL Corvane_IsRunningMacro(int ID, ZR_BOOL* running);

/* ---- end of macros ------------------------------------------------------------------------- */

/* ---- command-string interface ----------------------------------------------------------
 * TAL command lines as text, answers queued per controller and fetched one line at a time. Each
 * answer line ends in "\n"; a line ending in " \n" is followed by more lines of the same answer.
 * Errors are not answered as text: they stay for Corvane_GetError (or the line "ERR?"). */

/* Runs the lines of text (separated by "\n"; empty lines are skipped, "\r" stays part of a
 * line) one after the other, as one unit against other threads' command strings. TRUE when every
 * line succeeded. A line that does not parse returns TRUE too: it leaves
 * ZR_CNTR_PARAMETER_SYNTAX_ERROR, or ZR_UNKNOWN_AXIS_IDENTIFIER when it names an unknown axis, for
 * Corvane_GetError. An unknown command word leaves ZR_CNTR_UNKNOWN_COMMAND and FALSE; an error
 * nobody has read yet makes the result FALSE as well. */
ZR_CORVANE_API ZR_BOOL Corvane_TalCommandset(int ID, const char* text);

/* Moves the next answer line, with its NUL, into buffer and removes it from the queue. No line
 * waiting: TRUE, buffer untouched. A line not shorter than size, a negative size or a null buffer:
 * COM_BUFFER_OVERFLOW, FALSE, the line stays queued. */
ZR_CORVANE_API ZR_BOOL Corvane_TalGetAnswer(int ID, char* buffer, int size);

/* Stores the size the next answer line needs (its length plus 1), or 0 when none waits. A null
 * pointer leaves ZR_INVALID_ARGUMENT. May be called from any thread while a command string runs. */
ZR_CORVANE_API ZR_BOOL Corvane_TalGetAnswerSize(int ID, int* size);

/* ---- end of command-string interface --------------------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* ZR_CORVANE_TAL_H */
