#pragma once
// The library's error numbers with their names and texts: 0 no error, 1 to 6005 controller errors,
// -1 to -61 communication errors, -1001 to -1082 library errors. The names are defined as macros
// in ZR_Corvane_TAL.h.
#include <span>
#include <string>

// The text of -1077 ends with the address where current stage files are published. Ours is in the
// reserved .invalid domain, so it never leads users to someone else's site; distributors who
// publish stage files build with -DZR_STAGE_FILES_ADDRESS='"https://..."'.
#ifndef ZR_STAGE_FILES_ADDRESS
#define ZR_STAGE_FILES_ADDRESS "https://zr-corvane.invalid/stages"
#endif

struct ZRErrorEntry {
    int number;
    const char* name;  // nullptr for numbers that are only passed through
    const char* text;  // one line of 7-bit ASCII
};

// Every entry, by ascending number.
std::span<const ZRErrorEntry> ErrorTable();

// The entry of a number; nullptr when the table has none.
const ZRErrorEntry* FindErrorEntry(int number);

// The text of a number; "Unknown Error - number %d" for numbers without one.
std::string TranslateErrorNumber(int number);
