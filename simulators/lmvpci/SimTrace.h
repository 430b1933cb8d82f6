#pragma once
// The bus-analyser trace of LMVSIM_TRACE: one line per request, fields separated by one space:
// "<board> ioctl 0x<code> in=<hex> out=<hex>" (lower-case hex bytes in order, "-" when empty)
// or "<board> read <byte count>".
#include <cstdint>
#include <string>

namespace lmvpci {

std::string HexBytes(const void* data, uint32_t size);
std::string IoctlLine(int board, uint32_t code, const void* in, uint32_t inSize, const void* out,
                      uint32_t outSize);
std::string ReadLine(int board, uint32_t bytes);
// Appends the line to the trace file when LMVSIM_TRACE is set; one write, so lines of several
// processes never mix.
void Trace(const std::string& line);

}  // namespace lmvpci
