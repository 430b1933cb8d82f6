// A stand-in camera dialog module: the entry points of the module contract, no dialogs. It
// records every call ("NAME board args...") for the test to read back through TEST_CALLS, keeps a
// copy of the parameter block, and answers INIT_DIALOG_CAM with LMV_TEST_INIT_RESULT (default 0).
// Built with PARTIAL_MODULE it has INIT_DIALOG_CAM only.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string calls;
intptr_t block[19] = {};

void record_of(const char* format, ...) __attribute__((format(printf, 1, 2)));
void record_of(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    calls += line;
    calls += '\n';
}

}  // namespace

EXPORT int TEST_CALLS(char* text, int size) {
    if (!text || size <= 0) return static_cast<int>(calls.size());
    std::snprintf(text, static_cast<size_t>(size), "%s", calls.c_str());
    return static_cast<int>(calls.size());
}

EXPORT void TEST_BLOCK(intptr_t* out) {
    std::memcpy(out, block, sizeof block);
}

EXPORT int INIT_DIALOG_CAM(intptr_t* parameters) {
    std::memcpy(block, parameters, sizeof block);
    record_of("INIT_DIALOG_CAM board=%ld init=%ld", static_cast<long>(block[12]),
              static_cast<long>(block[16]));
    const char* result = std::getenv("LMV_TEST_INIT_RESULT");
    return result ? std::atoi(result) : 0;
}

#ifndef PARTIAL_MODULE

namespace {
int window = 0;
}  // namespace

EXPORT int END_DIALOG_CAM(int board) {
    record_of("END_DIALOG_CAM %d", board);
    return 0;
}

EXPORT int OPEN_DIALOG_CAM(int board, void* parent, int flags, char* title) {
    record_of("OPEN_DIALOG_CAM %d %p %d %s", board, parent, flags, title ? title : "(null)");
    window = 0x4400 + board;
    return 0;
}

EXPORT int CLOSE_DIALOG_CAM(int board) {
    record_of("CLOSE_DIALOG_CAM %d", board);
    window = 0;
    return 0;
}

EXPORT int LOCK_DIALOG_CAM(int board, int lock) {
    record_of("LOCK_DIALOG_CAM %d %d", board, lock);
    return 7;
}

EXPORT int STATUS_DIALOG_CAM(int board, int* win, int* status) {
    record_of("STATUS_DIALOG_CAM %d", board);
    *win = window;
    *status = 3;
    return 0;
}

EXPORT int SET_DIALOG_CAM(int board, int mode, int trig, int x0, int x1, int y0, int y1, int hbin,
                          int vbin, char* text) {
    record_of("SET_DIALOG_CAM %d %d %d %d %d %d %d %d %d %s", board, mode, trig, x0, x1, y0, y1,
              hbin, vbin, text ? text : "(null)");
    return 0;
}

EXPORT int GET_DIALOG_CAM(int board, int* mode, int* trig, int* x0, int* x1, int* y0, int* y1,
                          int* hbin, int* vbin, char* text) {
    record_of("GET_DIALOG_CAM %d", board);
    int* out[] = {mode, trig, x0, x1, y0, y1, hbin, vbin};
    for (int i = 0; i < 8; ++i) *out[i] = 10 + i;
    if (text) std::strcpy(text, "0,10000,-1,-1");
    return 0;
}

#endif
