#pragma once
// Status bytes of a board: the parser of the "S:" answer and the board error codes they carry.
#include <cstdint>

inline constexpr int kMaxStatusBytes = 6;

struct CorvaneStatusParse {
    bool ok = false;
    int badChar1 = 0;  // the two characters that were no hexadecimal pair, for the log
    int badChar2 = 0;
};

// Reads nrBytes hexadecimal pairs (either case) from answer, starting at position 2 (after "S:"),
// blanks before each pair skipped and one separator after it. The bytes not reported are set to 0.
// A pair that is missing or not hexadecimal fails the parse; the text is never read past its NUL.
CorvaneStatusParse ParseCorvaneStatus(const char* answer, int nrBytes,
                                      uint8_t status[kMaxStatusBytes]);

// What a board error code means to the library.
struct CorvaneErrorCodeEntry {
    int code;             // as reported in the status bytes
    int controllerError;  // stored in the controller error
    const char* logName;  // logged when the code is seen; nullptr: no log line
};

// The entry of a code; nullptr for the codes the library ignores (0, 6, 8, 12 to 255).
const CorvaneErrorCodeEntry* FindCorvaneErrorCode(int code);

// The motion-error bits of an R-220 board: byte 2 bits 0x08 and 0x40, byte 0 bit 0x20.
inline bool HasR220MotionError(const uint8_t status[kMaxStatusBytes]) {
    return (status[2] & 0x48) != 0 || (status[0] & 0x20) != 0;
}
