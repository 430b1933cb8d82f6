#include "camera/coc/CocContext.h"

#include "camera/coc/CocWords.h"

namespace lmv {

coc_context::coc_context(const board_record& record, const ccd_timing& constants, int option_base,
                         std::vector<uint16_t>& out, size_t capacity)
    : rec(record), k(constants), c(option_base), words_(out), capacity_(capacity) {
    words_.clear();
}

void coc_context::put_words(const std::vector<uint16_t>& words) {
    const size_t room = capacity_ - words_.size();
    if (words.size() > room) {
        words_.insert(words_.end(), words.begin(), words.begin() + static_cast<long>(room));
        overflow_ = true;
        return;
    }
    words_.insert(words_.end(), words.begin(), words.end());
}

void coc_context::put_n(uint16_t word, long long count) {
    if (count <= 0) return;
    if (marks.active && !coc_is_start_word(word)) {
        // Words whose line times hold no mark go in as runs; the axis advances word by word.
        const float step = coc_is_block_word(word) ? block_time() : k.T;
        const float m1 = marks.m1;
        const float m2 = marks.m2;
        float u = marks.u;
        long long run = 0;
        for (long long i = 0; i < count && !overflow_; ++i) {
            const float end = u + step;
            if (!(u <= m1 && m1 < end) && !(u <= m2 && m2 < end)) {
                ++run;
                u = end;
                continue;
            }
            marks.u = u;
            put_run(word, run);
            run = 0;
            put_on_axis(word);
            u = marks.u;
        }
        marks.u = u;
        put_run(word, run);
        return;
    }
    put_run(word, count);
}

void coc_context::put_run(uint16_t word, long long count) {
    if (count <= 0) return;
    const size_t room = capacity_ - words_.size();
    if (static_cast<unsigned long long>(count) > room) {
        words_.insert(words_.end(), room, word);
        overflow_ = true;
        return;
    }
    words_.insert(words_.end(), static_cast<size_t>(count), word);
}

int coc_context::check(size_t limit) const {
    return (overflow_ || words_.size() > limit) ? kCocTooLong : kOk;
}

bool coc_is_start_word(uint16_t word) {
    return word >= coc_word::kExposureStart && word < coc_word::kExposureStart + 16;
}

bool coc_is_block_word(uint16_t word) {
    return word == coc_word::kWaitBlock || word == coc_word::kPowerDownWaitBlock;
}

void coc_context::put_single_with_marks(uint16_t word) {
    const float end = marks.u + k.T;
    const bool boundary = marks.boundary_marks && word == coc_word::kBoundary;
    put_raw(word);
    if (marks.u <= marks.m1 && marks.m1 < end) {
        put_raw(boundary ? coc_word::kMark1AfterBoundary : word + coc_word::kMark1Offset);
    }
    if (marks.u <= marks.m2 && marks.m2 < end) {
        put_raw(boundary ? coc_word::kMark2AfterBoundary : word + coc_word::kMark2Offset);
    }
    marks.u = end;
}

void coc_context::put_on_axis(uint16_t word) {
    if (coc_is_start_word(word)) {
        put_raw(word);
        return;
    }
    if (!coc_is_block_word(word)) {
        put_single_with_marks(word);
        return;
    }
    const float end = marks.u + block_time();
    const bool holds_mark =
        (marks.u <= marks.m1 && marks.m1 < end) || (marks.u <= marks.m2 && marks.m2 < end);
    if (!holds_mark) {
        put_raw(word);
        marks.u = end;
        return;
    }
    const uint16_t single =
        word == coc_word::kWaitBlock ? coc_word::kWait : coc_word::kPowerDownWait;
    for (int i = 0; i < coc_word::kBlockSlots && !overflow_; ++i) put_single_with_marks(single);
}

}  // namespace lmv
