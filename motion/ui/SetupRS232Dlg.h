#pragma once
// Opening an RS-232 interface through the interface setup dialog.

// Shows the setup dialog on the settings saved under key (null or "" is the empty key) and, on
// OK, opens the chosen port: returns the new interface ID, or -1 when RS-232 is not enabled, no
// serial port exists, there is no display, the user cancelled, or the port did not open (then
// with the reason in IFgetLastConnectError()). After a successful open the interface's timeout is
// the saved general timeout and the choice is saved under key, with the interface "RS232".
// extended asks for the dialog's extended form; the library never does.
int setupRS232Dlg(const char* key, bool extended);
