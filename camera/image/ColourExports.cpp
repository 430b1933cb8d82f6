// Exports of the colour tables, the colour conversion and the colour LUT parameters.
#include <cstdint>

#include "camera/api/MessageLog.h"
#include "camera/image/ColourSettings.h"
#include "camera/image/ColourTables.h"
#include "camera/image/ConvertColour.h"
#include "lmvntcam.h"

using namespace lmv;

extern "C" {

LMV_API int LOAD_COLOR_LUT(unsigned char* red, unsigned char* green, unsigned char* blue) {
    return colour_load_tables(red, green, blue);
}

LMV_API int LOAD_PSEUDO_COLOR_LUT(unsigned char* red, unsigned char* green, unsigned char* blue) {
    return pseudo_colour_load_tables(red, green, blue);
}

LMV_API int CONVERT_BUFFER_12TOCOL(int mode, int width, int height, unsigned short* src,
                                   unsigned char* dst) {
    return convert_12tocol(mode, width, height, src, dst, colour_tables_in_use());
}

LMV_API int SET_DIALOG_COL(int red_min, int red_max, int green_min, int green_max, int blue_min,
                           int blue_max, int lin) {
    return colour_set_dialog(
        colour_parameters{red_min, red_max, green_min, green_max, blue_min, blue_max, lin});
}

LMV_API int GET_DIALOG_COL(int* red_min, int* red_max, int* green_min, int* green_max,
                           int* blue_min, int* blue_max, int* lin) {
    return colour_get_dialog(red_min, red_max, green_min, green_max, blue_min, blue_max, lin);
}

}  // extern "C"
