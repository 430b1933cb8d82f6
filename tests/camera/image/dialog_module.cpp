// A stand-in camera dialog module for the automatic exposure: it records the progress texts and
// the camera settings it is given. Built without AUTO_INFO_TEXT as a module that lacks it.
#include <cstdio>
#include <cstring>
#include <string>

#define MODULE_API extern "C" __attribute__((visibility("default")))

namespace {
std::string texts;  // "text|exposure\n" per call
std::string settings;
int dialog_open = 1;
}  // namespace

MODULE_API void TEST_DIALOG_OPEN(int open) {
    dialog_open = open;
    texts.clear();
    settings.clear();
}

MODULE_API const char* TEST_TEXTS(void) {
    return texts.c_str();
}

MODULE_API const char* TEST_SETTINGS(void) {
    return settings.c_str();
}

MODULE_API int STATUS_DIALOG_CAM(int /*board*/, int* window, int* status) {
    *window = dialog_open ? 0x4711 : 0;
    *status = dialog_open;
    return 0;
}

MODULE_API int SET_DIALOG_CAM(int board, int mode, int trig, int roixmin, int roixmax, int roiymin,
                              int roiymax, int hbin, int vbin, char* text) {
    char line[256];
    std::snprintf(line, sizeof line, "%d %x %d %d %d %d %d %d %d %s", board, mode, trig, roixmin,
                  roixmax, roiymin, roiymax, hbin, vbin, text);
    settings = line;
    return 0;
}

#ifndef WITHOUT_INFO_TEXT
MODULE_API int AUTO_INFO_TEXT(int board, char* text, int exposure) {
    texts += std::to_string(board) + "|" + text + "|" + std::to_string(exposure) + "\n";
    return 0;
}
#endif
