/* The C acquisition loop the Python benchmark measures board.read_image() against: the same
 * reads of the same board, called through ctypes from the same process. */
#include "lmvntcam.h"

/* Reads `frames` pictures of width x height into buffer; 0, or the first result that is not 0. */
__attribute__((visibility("default"))) int zrlmv_bench_read_loop(int frames, int width, int height,
                                                                 unsigned short* buffer) {
    for (int i = 0; i < frames; ++i) {
        int rc = READ_IMAGE_12BIT(0, width, height, buffer);
        if (rc != 0) return rc;
    }
    return 0;
}
