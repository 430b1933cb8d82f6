// The colour functions that read pictures: READ_IMAGE_COL reads a 12-bit picture and converts it,
// AUTO_COLOR balances the colour tables from a picture it may take itself.
#include <cstdint>
#include <exception>
#include <vector>

#include "camera/acquire/Acquire.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/AutoColour.h"
#include "camera/image/ConvertColour.h"
#include "camera/image/ImageSize.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr image_capture_procedures kAcquisition{&acquire_start_board, &acquire_read_12bit_held};

int refuse(int rc, const char* text) {
    log_message(kLogApi, "%s", text);
    return rc;
}

}  // namespace

extern "C" {

LMV_API int READ_IMAGE_COL(int mode, int width, int height, unsigned char* dst) {
    // Sizes below 1 are refused before anything is allocated; so is a mode the conversion would
    // refuse, so that no picture is read for nothing.
    if (width < 1 || height < 1)
        return refuse(kWrongParameter, "READ_IMAGE_COL() wrong value width or height is '0'\r\n");
    if (!colour_mode_valid(mode)) return kWrongParameter;
    if (int rc = image_size_check(width, height, static_cast<int>(colour_bytes_per_pixel(mode)),
                                  image_empty::refused);
        rc != kOk)
        return rc;
    if (!dst) return refuse(kNoMemory, "READ_IMAGE_COL() bad pointer 8bit buffer\r\n");
    std::vector<uint16_t> pixels;
    try {
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    } catch (const std::exception&) {
        return refuse(kNoMemory, "READ_IMAGE_COL() allocation of buffer failed\r\n");
    }
    if (int rc = READ_IMAGE_12BIT(0, width, height, pixels.data()); rc != kOk)
        return refuse(rc, "READ_IMAGE_COL() read image failed\r\n");
    return convert_12tocol(mode, width, height, pixels.data(), dst, colour_tables_in_use());
}

LMV_API int AUTO_COLOR(int width, int height, unsigned short* image) {
    return auto_colour(kAcquisition, width, height, image);
}

}  // extern "C"
