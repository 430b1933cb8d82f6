#pragma once
// The interface of a controller connected through the setup dialog.

// Settings key used when the caller names none.
inline constexpr const char* kDefaultDialogSettingsKey = "ZR\\ZR_CORVANE_TAL_DLL";

// key, or the default key for null or "".
const char* DialogSettingsKey(const char* key);

// Saves 9600 baud and handshake "NONE" under the key (default key for null or ""), then lets the
// user choose the port in the setup dialog and opens it (see setupRS232Dlg). Returns the
// interface ID, or -1 with the reason in *error (when error is given): the last-connect error of
// a port that did not open, or NOT_CONNECTED_ERROR (-4) when no port was chosen (no display, no
// serial port, dialog cancelled). The reason is never 0, so a controller that keeps it as its
// error cannot be taken for a connected one.
int OpenInterfaceWithDialog(const char* key, int* error);
