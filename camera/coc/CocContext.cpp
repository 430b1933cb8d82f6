#include "camera/coc/CocContext.h"

#include "camera/coc/CocWords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lmv {

coc_context::coc_context(const board_record& record, const ccd_timing& constants, int option_base,
                         std::vector<uint16_t>& out, size_t capacity)
    : rec(record), k(constants), c(option_base), words_(out), capacity_(capacity) {
    words_.clear();
}

void coc_context::put_words(const std::vector<uint16_t>& words) {
    put_words(words.data(), words.size());
}

void coc_context::put_words(const uint16_t* words, size_t count) {
    const size_t room = capacity_ - words_.size();
    if (count > room) {
        words_.insert(words_.end(), words, words + room);
        overflow_ = true;
        return;
    }
    words_.insert(words_.end(), words, words + count);
}

void coc_context::put_n(uint16_t word, long long count) {
    if (count <= 0) return;
    if (!marks.active || coc_is_start_word(word)) {
        put_run(word, count);
        return;
    }
    // Words whose line times hold no mark go in as runs. The axis jumps to one word before the
    // window of the next mark ahead, then steps word by word up to it.
    const float step = coc_is_block_word(word) ? block_time() : k.T;
    float u = marks.u;
    for (long long i = 0; i < count && !overflow_;) {
        const float next = next_mark(u);
        const long long left = count - i;
        long long run = 0;
        if (std::isinf(next)) {
            run = left;
            u = advance(u, step, run);
        } else {
            const double whole = std::floor((static_cast<double>(next) - u) / step) - 1.0;
            run = whole > 0 ? std::min(static_cast<long long>(whole), left) : 0;
            u = advance(u, step, run);
            for (; run < left; ++run) {
                const float end = u + step;
                if (next < end) break;
                u = end;
            }
        }
        put_run(word, run);
        i += run;
        if (i == count) break;
        marks.u = u;
        put_on_axis(word);
        u = marks.u;
        ++i;
    }
    marks.u = u;
}

float coc_context::advance(float u, float step, long long words) {
    return static_cast<float>(static_cast<double>(u) + static_cast<double>(words) * step);
}

float coc_context::next_mark(float u) const {
    float next = std::numeric_limits<float>::infinity();
    if (marks.m1 >= u) next = marks.m1;
    if (marks.m2 >= u && marks.m2 < next) next = marks.m2;
    return next;
}

void coc_context::put_repeated(const uint16_t* group, size_t count, long long times) {
    if (times <= 0 || count == 0) return;
    if (marks.active) {
        for (long long t = 0; t < times && !overflow_; ++t)
            for (size_t i = 0; i < count; ++i) put(group[i]);
        return;
    }
    const size_t room = (capacity_ - words_.size()) / count;
    const size_t whole =
        static_cast<unsigned long long>(times) > room ? room : static_cast<size_t>(times);
    const size_t at = words_.size();
    words_.resize(at + whole * count);
    uint16_t* out = words_.data() + at;
    if (whole > 0) {
        // One group, then the written part doubled until all are there.
        std::copy(group, group + count, out);
        for (size_t done = 1; done < whole;) {
            const size_t more = std::min(done, whole - done);
            std::copy(out, out + more * count, out + done * count);
            done += more;
        }
    }
    if (whole < static_cast<unsigned long long>(times)) {
        put_words(group, count);  // the part that still fits, and the overflow
    }
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
    put_n(single, coc_word::kBlockSlots);
}

}  // namespace lmv
