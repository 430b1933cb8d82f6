#include "camera/board/SetupPrograms.h"

namespace lmv {
namespace {

struct word_run {
    size_t first;
    size_t last;
    uint16_t value;
};

// Words 3 to 103, shared by every program; the last two are the end mark.
constexpr word_run kBody[] = {
    {3, 4, 193}, {5, 6, 209}, {7, 7, 207}, {8, 99, 201}, {100, 101, 193}, {102, 103, 4064},
};

}  // namespace

setup_program setup_program_for(uint16_t selector) {
    setup_program words{};
    for (size_t i = 0; i < 3; ++i) words[i] = selector;
    for (const auto& run : kBody)
        for (size_t i = run.first; i <= run.last; ++i) words[i] = run.value;
    return words;
}

}  // namespace lmv
