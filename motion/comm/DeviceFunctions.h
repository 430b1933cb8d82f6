#pragma once
// The device functions: every operation on an interface by its ID, as the controller code uses
// them. Functions that take an ID answer -4 (NOT_CONNECTED_ERROR) for a negative ID, one beyond
// the table, or a closed interface; otherwise 0 or the error code of the operation (see
// ZR_Corvane_TAL.h). Log lines start with "LIBRARY: ".
#include "motion/comm/RS232Settings.h"

// Opens an RS-232 interface and returns its ID; -1 on failure, with the reason in
// IFgetLastConnectError().
[[nodiscard]] int connect_rs232(const RS232Settings& settings);
// Error of the most recent failed RS-232 creation; 0 after a success.
int IFgetLastConnectError();
void SetLastConnectError(int code);

// Sends command with the send terminator, then receives one line into answer (size bytes): 0,
// -8 when more lines of the answer follow, -5 when the line does not fit, or the port error.
[[nodiscard]] int readDevice(int id, const char* command, char* answer, int size);
// Receives one line, as readDevice without sending.
[[nodiscard]] int IFreceiveString(int id, char* answer, int size);
// Sends text with the send terminator.
[[nodiscard]] int IFwriteDevice(int id, const char* text);
// Sends one byte, no terminator.
[[nodiscard]] int IFsendChar(int id, int c);
// Discards everything received or pending.
[[nodiscard]] int IFclearComm(int id);
// 0, -1 when the transport refused the time-out, -4.
[[nodiscard]] int IFsetTimeout(int id, unsigned int ms);
// 0 with the time-out in *ms, -4, or -1015 (ZR_INVALID_ARGUMENT) for a null ms.
[[nodiscard]] int IFgetTimeout(int id, int* ms);
// 0, -32 when a copy cannot be made, -4.
[[nodiscard]] int IFsetTerminators(int id, const char* send, const char* receive);
// The previous strip flag (0 or 1), or -4.
[[nodiscard]] int IFsetStripTerminator(int id, bool strip);
// Closes the interface and releases it; nothing for an invalid ID.
void IFcloseInterface(int id);
void IFcloseAllInterfaces();

// Library set-up.
void ZR_IFsetInstanceHandle(void* moduleHandle);  // first call only
void* IFgetInstanceHandle();
int IFuseBackgroundThread(int mode);  // the thread-less transport is used either way
int SetClearRSMode(int mode);         // returns the previous mode
int IFgetClearRSMode();

// Interface kinds offered by the setup dialog: bit 0x1 is RS-232. Returns the previous mask;
// clearing a bit forgets that the kind was found available.
enum : unsigned int { IF_TYPE_RS232 = 0x1 };
unsigned int IFsetEnabledInterfaceTypes(unsigned int mask);
unsigned int IFgetEnabledInterfaceTypes();
// Whether a serial port was found since RS-232 was last enabled (kept for the setup dialog).
bool IFisRS232Available();
void IFsetRS232Available(bool available);
