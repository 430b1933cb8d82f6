#include "camera/image/ImageLibrary.h"

#include "camera/image/OutputLut.h"
#include "camera/image/Palette.h"

namespace lmv {

void image_library_load() {
    bw_reset_table();
    palette_create();
}

void image_library_unload() {
    palette_delete();
}

}  // namespace lmv
