#pragma once
// The device functions: every operation on an interface by its ID, as the controller code uses
// them. Functions that take an ID answer -4 (NOT_CONNECTED_ERROR) for a negative ID, one beyond
// the table, or a closed interface. Log lines start with "LIBRARY: ".
#include "motion/comm/RS232Settings.h"

// Error of the most recent failed RS-232 creation; 0 after a success.
int IFgetLastConnectError();
void SetLastConnectError(int code);
