// Watches the library's calls of tcflush without changing them.
#pragma once

// Counts the calls that purge the output queue (TCOFLUSH, TCIOFLUSH) since the program started.
int OutputPurges();
