// COC settings on cameras of every class and CCD type, as an application might pass them to
// TEST_COC and SET_COC: the check's result passes a second check unchanged and the commit, and
// the table built from the committed record fits its buffer or is refused as too long. A second
// stage hands the same bytes, unchecked, to the fine-time builders of the fast-shutter,
// intensified and CCD 9-12 cameras: a table with its end words or a refusal, never more.
#include "fuzz/FuzzSupport.h"
#include "tests/camera/coc/coc_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fuzz::ScratchFolder();
    const coc_round_trip::coc_case c = coc_round_trip::decode(data, size);
    const std::string broken = coc_round_trip::failure(c);
    if (!broken.empty()) fuzz::Fail(broken.c_str());
    const std::string fine = coc_round_trip::fine_time_failure(c);
    if (!fine.empty()) fuzz::Fail(fine.c_str());
    return 0;
}
