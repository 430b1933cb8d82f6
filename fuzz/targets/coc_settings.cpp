// COC settings on cameras of every class and CCD type, as an application might pass them to
// TEST_COC and SET_COC: the check's result passes a second check unchanged and the commit, and
// the table built from the committed record fits its buffer or is refused as too long.
#include "tests/camera/coc/coc_round_trip.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fuzz::ScratchFolder();
    const std::string broken = coc_round_trip::failure(coc_round_trip::decode(data, size));
    if (!broken.empty()) fuzz::Fail(broken.c_str());
    return 0;
}
