#pragma once
// State of one table build: the words written so far, the constants in force and the four time
// accumulators. The builders of every camera class write through it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/api/ResultCodes.h"
#include "camera/api/board_record.h"
#include "camera/coc/CocConstants.h"

namespace lmv {

constexpr size_t kCocBufferWords = 250000;        // working buffer of a build
constexpr size_t kCocSectionLimitWords = 240000;  // 480000 bytes of board memory
constexpr size_t kCocFastLimitWords = 230000;     // fast-shutter exposure builders

// Microseconds, 32-bit floats as the camera reports them.
struct coc_times {
    float coctime = 0.0f;  // readout and overhead
    float beltime = 0.0f;  // exposure including its marks
    float exptime = 0.0f;  // effective exposure
    float deltime = 0.0f;  // delay
};

// Two timed marks placed on the time axis of the table: after the word whose line time holds a
// mark, that word plus a mark offset is inserted. Block words holding a mark are split.
struct coc_mark_axis {
    bool active = false;
    bool boundary_marks = true;  // after 209 the marks are written as 2497 and 2241
    float u = 0.0f;              // start time of the next word
    float m1 = 0.0f;
    float m2 = 0.0f;
};

struct coc_context {
    coc_context(const board_record& record, const ccd_timing& constants, int option_base,
                std::vector<uint16_t>& out, size_t capacity = kCocBufferWords);

    const board_record& rec;
    ccd_timing k;
    int c;
    coc_times t;
    coc_mark_axis marks;

    float block_time() const { return 1024.0f * k.T; }

    // Writes one word; with an active mark axis the word takes its place on the axis.
    void put(uint16_t word) {
        if (marks.active) {
            put_on_axis(word);
        } else {
            put_raw(word);
        }
    }
    void put_n(uint16_t word, long long count);
    // Appends words as they stand (no mark axis).
    void put_words(const std::vector<uint16_t>& words);
    void put_words(const uint16_t* words, size_t count);
    // A group of words written `times` times, on the mark axis when it is active.
    void put_repeated(const uint16_t* group, size_t count, long long times);
    // Adds `slots` line times to an accumulator at once.
    void add_slots(float& accumulator, long long slots) const {
        accumulator += static_cast<float>(static_cast<double>(slots) * k.T);
    }
    // Writes without the mark axis.
    void put_raw(uint16_t word) {
        if (words_.size() < capacity_) {
            words_.push_back(word);
        } else {
            overflow_ = true;
        }
    }

    size_t size() const { return words_.size(); }
    bool overflow() const { return overflow_; }
    const std::vector<uint16_t>& words() const { return words_; }
    std::vector<uint16_t>& words() { return words_; }
    // -21 when the table so far is beyond limit words or did not fit the buffer.
    int check(size_t limit = kCocSectionLimitWords) const;

  private:
    void put_on_axis(uint16_t word);
    void put_run(uint16_t word, long long count);
    // The nearest mark at or after u, or infinity.
    float next_mark(float u) const;
    // The axis after `words` windows of `step`.
    static float advance(float u, float step, long long words);
    void put_single_with_marks(uint16_t word);

    std::vector<uint16_t>& words_;
    size_t capacity_;
    bool overflow_ = false;
};

// Exposure-start and power-down start words take no time on the mark axis; block words take
// 1024 line times, every other word one line time.
bool coc_is_start_word(uint16_t word);
bool coc_is_block_word(uint16_t word);

}  // namespace lmv
