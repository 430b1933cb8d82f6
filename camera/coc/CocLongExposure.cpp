#include "camera/coc/CocLongExposure.h"

#include <cmath>
#include <iterator>

#include "camera/coc/CocCountdown.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;

// Exposure section of the timed-marks and double-exposure tables.
constexpr coc_exposure_form kExactForm{false, 0, false, true};

// Words and time of the pre-readout, readout and flush that follow an overlapped exposure.
int measure_readout(coc_context& ctx, std::vector<uint16_t>& words) {
    coc_context scratch(ctx.rec, ctx.k, ctx.c, words);
    coc_pre_readout(scratch);
    coc_readout(scratch);
    coc_flush(scratch);
    if (scratch.overflow()) return kCocTooLong;
    words.pop_back();  // the arm word is not part of an overlapped table
    ctx.t.coctime += scratch.t.coctime;
    return kOk;
}

// The general pre-readout, readout and flush that end a table; stops at the first fault.
int readout_and_flush(coc_context& ctx) {
    coc_pre_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_flush(ctx);
    return ctx.check();
}

}  // namespace

void coc_set_marks(coc_context& ctx, float m1, float m2, bool move_second) {
    if (std::trunc(m1) == std::trunc(m2)) {
        if (move_second) {
            m2 += ctx.k.T;
        } else {
            m1 -= ctx.k.T;
        }
    }
    ctx.marks.m1 = m1;
    ctx.marks.m2 = m2;
}

int coc_long_exposure(coc_context& ctx) {
    coc_trigger_header(ctx);
    coc_exposure_section(ctx, coc_exposure_form{});
    if (int rc = ctx.check()) return rc;
    return readout_and_flush(ctx);
}

int coc_overlapped_exposure(coc_context& ctx) {
    ctx.put(w::kArmExternal);
    std::vector<uint16_t> readout;
    if (int rc = measure_readout(ctx, readout)) return rc;
    ctx.t.beltime = 0.0f;
    coc_overlap start = coc_overlap_start(ctx);
    const bool started = start.n == 0;
    coc_write_overlap_exposure(ctx, start, true);
    ctx.put(w::kExposureEnd);
    ctx.t.beltime += ctx.k.T;
    ctx.t.exptime += started ? ctx.k.T : ctx.k.S;
    coc_replay_overlap(ctx, readout, start.n);
    ctx.t.beltime += 2.0f * ctx.k.T;
    ctx.t.exptime += 2.0f * ctx.k.T;
    return ctx.check();
}

int coc_timed_marks(coc_context& ctx) {
    coc_start_timed_marks(ctx, true);
    coc_exposure_section(ctx, kExactForm);
    if (int rc = ctx.check()) return rc;
    coc_pre_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_flush_words(ctx, true);
    ctx.marks.active = false;

    return coc_end_timed_marks(ctx);
}

int coc_overlapped_timed_marks(coc_context& ctx) {
    std::vector<uint16_t> readout;
    if (int rc = measure_readout(ctx, readout)) return rc;
    ctx.t.beltime = 0.0f;
    coc_overlap start = coc_overlap_start(ctx);
    coc_start_overlap_marks(ctx, start, true);
    coc_write_overlap_exposure(ctx, start, false);
    coc_overlap_marks_exposure_end(ctx, start);
    coc_replay_overlap(ctx, readout, start.n);
    return coc_end_overlap_marks(ctx);
}

// Exposure left before the readout, in normal or power-down form, with its time.
void coc_write_overlap_exposure(coc_context& ctx, const coc_overlap& start, bool tail_blocks) {
    const coc_exposure_slots slots = coc_split_exposure(ctx, start.f, 0, true);
    if (slots.power_down) ctx.put_n(static_cast<uint16_t>(w::kPowerDownStart + ctx.c), 3);
    const float exposure = coc_write_exposure(ctx, slots, tail_blocks);
    ctx.t.beltime += exposure;
    ctx.t.exptime += exposure;
}

void coc_start_timed_marks(coc_context& ctx, bool boundary_marks) {
    const float T = ctx.k.T;
    const float delay = coc_ms(ctx.rec.timevalues[0]);
    coc_set_marks(ctx, delay + 2.0f * T + coc_ms(ctx.rec.timevalues[2]),
                  delay + coc_exposure_us(ctx) + 2.0f * T + coc_ms(ctx.rec.timevalues[3]), true);
    ctx.marks.active = true;
    ctx.marks.boundary_marks = boundary_marks;
    ctx.marks.u = 0.0f;
}

int coc_end_timed_marks(coc_context& ctx) {
    const float T = ctx.k.T;
    coc_mark_axis& axis = ctx.marks;
    axis.active = false;
    while (axis.m1 - axis.u > T && !ctx.overflow()) {
        ctx.put(w::kWait);
        axis.u += T;
        ctx.t.coctime += T;
    }
    ctx.put(w::kMark1End);
    while (axis.m2 - axis.u > T && !ctx.overflow()) {
        ctx.put(w::kWait);
        axis.u += T;
        ctx.t.coctime += T;
    }
    ctx.put(w::kMark2End);
    ctx.t.coctime += 3.0f * T;
    return ctx.check();
}

void coc_start_overlap_marks(coc_context& ctx, const coc_overlap& start, bool boundary_marks) {
    const float T = ctx.k.T;
    const float p1 = coc_ms(ctx.rec.timevalues[2]);
    const float p2x = coc_ms(ctx.rec.timevalues[3]) + coc_ms(ctx.rec.timevalues[1]);
    if (start.n == 0) {
        // The exposure that this table ends began one readout earlier.
        coc_set_marks(ctx, p1, p2x + T, false);
        ctx.marks.u = ctx.t.coctime;
    } else {
        coc_set_marks(ctx, p1 + T, p2x, false);
        ctx.marks.u = 0.0f;
    }
    ctx.marks.active = true;
    ctx.marks.boundary_marks = boundary_marks;
}

void coc_overlap_marks_exposure_end(coc_context& ctx, const coc_overlap& start) {
    ctx.t.beltime += ctx.k.T;
    if (start.n == 0) {
        ctx.put(w::kExposureEnd);
        ctx.marks.u = 0.0f;  // the next exposure begins with the readout
        ctx.t.exptime += ctx.k.T;
    } else {
        ctx.put_raw(w::kExposureEnd);
        ctx.t.exptime += ctx.k.S;
    }
}

int coc_end_overlap_marks(coc_context& ctx) {
    const float T = ctx.k.T;
    coc_mark_axis& axis = ctx.marks;
    axis.active = false;
    if (axis.u <= axis.m1 && axis.m1 < axis.u + 3.0f * T) ctx.put(w::kMark1End);
    if (axis.u <= axis.m2 && axis.m2 < axis.u + 3.0f * T) ctx.put(w::kMark2End);
    ctx.t.beltime += 2.0f * T;
    ctx.t.exptime += 2.0f * T;
    return ctx.check();
}

int coc_fixed_test_table(coc_context& ctx) {
    ctx.put(w::kExposureEnd);
    ctx.put(w::kShift16);
    ctx.put(w::kShift2);
    for (int i = 0; i < 15; ++i) {
        ctx.put(w::kShift16);
        ctx.put(w::kReadBin2);
    }
    ctx.put_n(203, 2);
    ctx.put(195);
    ctx.t.beltime += 36.0f * ctx.k.T;
    ctx.t.coctime += 3.0f * ctx.k.T;
    return kOk;
}

int coc_line_sequence(coc_context& ctx) {
    const float T = ctx.k.T;
    const int vbin = ctx.rec.vbin;
    if (vbin <= 0) return kWrongParameter;
    const int lines = ctx.rec.timevalues[0] / vbin;
    const int exposure = ctx.rec.timevalues[1];
    // A count below 1 reads one sequence, as the image size reports.
    const int count = ctx.rec.timevalues[2] < 1 ? 1 : ctx.rec.timevalues[2];
    const coc_word_list& ccd = coc_words_for(ctx.rec.ccd_typ).line_sequence;
    const long long pairs = exposure > 0 ? (exposure + 10LL) / 11 : 0;

    // One read line: vbin 4 shifts two rows and reads two.
    std::vector<uint16_t> line;
    if (vbin == 4) {
        line = {w::kShift2, w::kReadBin2};
    } else {
        std::vector<uint16_t> scratch_words;
        board_record one_line = ctx.rec;
        one_line.roiymin = 0;
        one_line.roiymax = vbin;
        coc_context scratch(one_line, ctx.k, ctx.c, scratch_words);
        coc_read_lines(scratch);
        line = scratch_words;
    }

    // One repetition; all but the last end with three waiting words.
    if (static_cast<long long>(lines) * static_cast<long long>(line.size()) + 2 * pairs >
        static_cast<long long>(kCocBufferWords)) {
        return kCocTooLong;
    }
    std::vector<uint16_t> words{w::kExposureEnd};
    words.insert(words.end(), ccd.words, ccd.words + ccd.count);
    for (int n = 0; n < lines; ++n) words.insert(words.end(), line.begin(), line.end());
    for (long long p = 0; p < pairs; ++p) {
        words.push_back(w::kShift8);
        words.push_back(195);
    }

    ctx.put_n(coc_exposure_start_word(ctx), 3);
    const size_t first = ctx.size();
    for (int rep = 0; rep < count; ++rep) {
        if (ctx.size() - first > 220000 || ctx.overflow()) return kCocTooLong;
        ctx.put_words(words);
        if (rep + 1 < count) ctx.put_n(w::kWait, 3);
    }
    const float read =
        static_cast<float>(1 + ccd.count +
                           static_cast<long long>(lines) * static_cast<long long>(line.size())) *
        T;
    const float repetition =
        read + static_cast<float>(pairs) * 2.0f * T + (count > 1 ? 3.0f * T : 0.0f);
    ctx.t.coctime += read;
    ctx.t.beltime += repetition;
    ctx.t.exptime += repetition;
    return ctx.check();
}

int coc_double_exposure(coc_context& ctx) {
    const float T = ctx.k.T;
    coc_trigger_header(ctx);
    coc_exposure_section(ctx, kExactForm);
    if (int rc = ctx.check()) return rc;

    long long wait = static_cast<long long>(std::floor((coc_ms(ctx.rec.timevalues[2]) + T) / T));
    long long n = static_cast<long long>(std::floor(coc_ms(ctx.rec.timevalues[3]) / T));

    // First image, read while the second exposure runs.
    std::vector<uint16_t> image;
    {
        coc_context scratch(ctx.rec, ctx.k, ctx.c, image);
        coc_pre_readout(scratch);
        coc_row_skip(scratch, coc_skip_form::double_exposure);
        coc_read_lines(scratch);
        coc_flush_rows(scratch, ctx.rec.roiymax);
        if (scratch.overflow()) return kCocTooLong;
    }
    coc_replay_double(ctx, image, wait, n);

    // Gap after the first image, then the start of the second exposure.
    const bool started = wait < 0;
    if (wait > 1024) {
        const long long blocks = (wait - 1) / 1024;
        ctx.put_n(w::kWaitBlock, blocks);
        wait -= 1024 * blocks;
        const float gap = static_cast<float>(blocks) * ctx.block_time();
        ctx.t.beltime += gap;
        ctx.t.deltime += gap;
    }
    if (wait > 0) {
        ctx.put_n(w::kWait, wait);
        ctx.t.beltime += static_cast<float>(wait) * T;
        ctx.t.deltime += static_cast<float>(wait) * T;
    }
    if (!started) {
        ctx.put(w::kBoundary);
        ctx.t.exptime += T - ctx.k.E;
        ctx.t.deltime += ctx.k.E;
        ctx.t.beltime += T;
    }

    // Rest of the second exposure.
    const long long lo = ctx.rec.powerdown_lo;
    if (n > ctx.rec.powerdown_hi && lo >= 0) {
        ctx.put_n(static_cast<uint16_t>(w::kPowerDownStart + ctx.c), 3);
        const long long blocks = n > lo + 1024 ? (n - lo - 1) / 1024 : 0;
        ctx.put_n(w::kPowerDownWaitBlock, blocks);
        n -= 1024 * blocks;
        const long long singles = n > lo ? n - lo : 0;
        ctx.put_n(w::kPowerDownWait, singles);
        ctx.put_n(coc_exposure_start_word(ctx), 3);
        ctx.put_n(w::kWait, lo);
        const float rest =
            static_cast<float>(blocks) * ctx.block_time() + static_cast<float>(singles + lo) * T;
        ctx.t.beltime += rest;
        ctx.t.exptime += rest;
    } else if (n > 0) {
        ctx.put_n(w::kWait, n);
        ctx.t.beltime += static_cast<float>(n) * T;
        ctx.t.exptime += static_cast<float>(n) * T;
    }
    ctx.put(w::kExposureEnd);
    ctx.t.beltime += T;
    ctx.t.exptime += ctx.k.S;
    if (int rc = ctx.check()) return rc;

    // The second image: the general pre-readout, readout and flush.
    return readout_and_flush(ctx);
}

int coc_build_long_exposure(coc_context& ctx) {
    using builder = int (*)(coc_context&);
    static constexpr builder kBySubmode[] = {
        coc_long_exposure,          coc_overlapped_exposure, coc_timed_marks,
        coc_overlapped_timed_marks, coc_fixed_test_table,    coc_line_sequence,
        coc_double_exposure,
    };
    const int submode = ctx.rec.submode;
    if (submode < 0 || submode >= static_cast<int>(std::size(kBySubmode))) {
        return kWrongParameter;
    }
    return kBySubmode[submode](ctx);
}

}  // namespace lmv
