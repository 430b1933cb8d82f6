#pragma once
// Message boxes of the board set-up: shown only while error messages are enabled.
namespace lmv {

void setup_box(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace lmv
