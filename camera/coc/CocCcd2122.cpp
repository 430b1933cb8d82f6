#include "camera/coc/CocCcd2122.h"

#include <algorithm>
#include <iterator>

#include "camera/coc/CocCountdown.h"
#include "camera/coc/CocLongExposure.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;

constexpr uint16_t kShiftBin = 206;          // shift of two rows within a binned read line
constexpr uint16_t kExposureBlock = 0xFFFF;  // placeholder for the exposure block in a header
constexpr uint16_t kRepeatGate = 0xFFFE;     // placeholder for the 25 words 512

struct header_program {
    int count;
    uint16_t words[20];
};

// Submodes 16 and 17, by trigger low byte 0 to 4.
constexpr header_program kExposureHeaders[] = {
    {9, {3010, 2498, 640, kExposureBlock, 660, 688, 641, 1536, 640}},
    {10, {3010, 640, kExposureBlock, 660, 688, 1024, 2498, 641, 1536, 640}},
    {10, {2754, 640, kExposureBlock, 660, 688, 1280, 2242, 641, 1536, 640}},
    {8, {3010, 640, kExposureBlock, 660, 689, 641, 1536, 640}},
    {8, {3010, 640, kExposureBlock, 660, 690, 641, 1536, 640}},
};

// Submodes 18 and 19, by trigger low byte 0 to 4 (0 writes nothing).
constexpr header_program kFixedHeaders[] = {
    {0, {}},
    {17,
     {3010, 640, 659, 690, 660, 693, 1024, 2498, 641, kRepeatGate, 1280, 2242, 660, 694, 1536,
      640}},
    {17,
     {3010, 640, 659, 690, 660, 693, 1280, 2242, 641, kRepeatGate, 1024, 2498, 660, 694, 1536,
      640}},
    {9, {3010, 640, 659, 690, 660, 691, 641, 1536, 640}},
    {9, {3010, 640, 659, 690, 660, 692, 641, 1536, 640}},
};

// Flush words 194 below the region, each shifting two rows.
size_t flush_rows(const board_record& rec) {
    const int rows = rec.ccd_height - (rec.roiymax + 2);
    return rows > 0 ? static_cast<size_t>((rows + 1) / 2) : 0;
}

bool valid_hbin(int hbin) {
    return hbin == 1 || hbin == 2 || hbin == 4 || hbin == 8;
}

void exposure_block(coc_context& ctx, bool second_image) {
    // The block carries 16 bits; larger values stop at the largest it can hold.
    const int e = std::clamp(ctx.rec.timevalues[1], 0, 0xFFFF);
    const uint16_t f = second_image ? 689 : 688;
    auto nibble = [e](int shift) {
        return static_cast<uint16_t>(((e >> shift) & 15) + w::kNibbleBase);
    };
    for (uint16_t word : {uint16_t{657}, nibble(0), nibble(4), f, uint16_t{658}, nibble(8),
                          nibble(12), f, uint16_t{659}, uint16_t{690}}) {
        ctx.put(word);
    }
    ctx.t.deltime = static_cast<float>(ctx.rec.timevalues[0]);
    ctx.t.exptime = static_cast<float>(e);
    ctx.t.beltime = ctx.t.deltime + ctx.t.exptime;
}

void write_header(coc_context& ctx, const header_program& program, bool second_image) {
    for (int i = 0; i < program.count; ++i) {
        const uint16_t word = program.words[i];
        if (word == kExposureBlock) {
            exposure_block(ctx, second_image);
        } else if (word == kRepeatGate) {
            ctx.put_n(512, 25);
        } else {
            ctx.put(word);
        }
    }
}

int header_program_table(coc_context& ctx) {
    const int submode = ctx.rec.submode;
    const bool second_image = submode == 17 || submode == 19;
    const int mode = ctx.rec.trigger & 0xFF;
    if (submode == 16 || submode == 17) {
        if (mode < static_cast<int>(std::size(kExposureHeaders))) {
            write_header(ctx, kExposureHeaders[mode], second_image);
        }
    } else if (mode < static_cast<int>(std::size(kFixedHeaders))) {
        write_header(ctx, kFixedHeaders[mode], second_image);
    }
    ctx.put_n(w::kTransferStart, 2);
    coc_2122_transfer(ctx);
    ctx.put(w::kWait);
    ctx.t.coctime += ctx.k.T;
    coc_2122_readout(ctx);
    if (int rc = ctx.check()) return rc;
    if (second_image) {
        for (int row = ctx.rec.roiymax; row < ctx.rec.ccd_height && !ctx.overflow(); row += 2) {
            ctx.put(w::kShift2);
        }
        ctx.put(w::kExposureEnd);
        coc_2122_transfer(ctx);
        coc_2122_readout(ctx);
        if (int rc = ctx.check()) return rc;
    }
    coc_2122_flush(ctx);
    return ctx.check();
}

int long_exposure(coc_context& ctx) {
    coc_trigger_header(ctx);
    coc_exposure_section(ctx, coc_exposure_form{true, 2, true, false});
    if (int rc = ctx.check()) return rc;
    coc_2122_transfer(ctx);
    coc_2122_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_2122_flush(ctx);
    return ctx.check();
}

// Words and time of the transfer, readout and flush; the words kept exclude the start words and
// the arm word.
int measure_readout(coc_context& ctx, std::vector<uint16_t>& words) {
    coc_context scratch(ctx.rec, ctx.k, ctx.c, words);
    coc_2122_transfer(scratch);
    coc_2122_readout(scratch);
    coc_2122_flush(scratch);
    if (scratch.overflow()) return kCocTooLong;
    words.pop_back();
    words.erase(words.begin(), words.begin() + 3);
    ctx.t.coctime += scratch.t.coctime;
    return kOk;
}

void write_plain_exposure(coc_context& ctx, float f) {
    const coc_exposure_slots slots = coc_split_exposure(ctx, f, 0, false);
    const float exposure = coc_write_exposure(ctx, slots, false);
    ctx.t.beltime += exposure;
    ctx.t.exptime += exposure;
}

int overlapped_exposure(coc_context& ctx) {
    ctx.put(w::kArmExternal);
    std::vector<uint16_t> readout;
    if (int rc = measure_readout(ctx, readout)) return rc;
    ctx.t.beltime = 0.0f;
    coc_overlap start = coc_overlap_start(ctx);
    const bool started = start.n == 0;
    write_plain_exposure(ctx, start.f);
    ctx.put(w::kExposureEnd);
    ctx.t.beltime += ctx.k.T;
    ctx.t.exptime += started ? ctx.k.T : ctx.k.S;
    coc_replay_overlap(ctx, readout, start.n, flush_rows(ctx.rec));
    ctx.t.beltime += 2.0f * ctx.k.T;
    ctx.t.exptime += 2.0f * ctx.k.T;
    return ctx.check();
}

int timed_marks(coc_context& ctx) {
    const float T = ctx.k.T;
    coc_start_timed_marks(ctx, false);
    coc_exposure_section(ctx, coc_exposure_form{false, 0, false, true});
    if (int rc = ctx.check()) return rc;
    ctx.put_n(w::kWait, 10);
    for (int i = 0; i < 10; ++i) ctx.t.coctime += T;
    coc_2122_readout(ctx);
    if (int rc = ctx.check()) return rc;
    coc_2122_flush_words(ctx);
    return coc_end_timed_marks(ctx);
}

int overlapped_timed_marks(coc_context& ctx) {
    std::vector<uint16_t> readout;
    if (int rc = measure_readout(ctx, readout)) return rc;
    ctx.t.beltime = 0.0f;
    coc_overlap start = coc_overlap_start(ctx);
    coc_start_overlap_marks(ctx, start, false);
    coc_write_overlap_exposure(ctx, start, false);
    coc_overlap_marks_exposure_end(ctx, start);
    coc_replay_overlap(ctx, readout, start.n, flush_rows(ctx.rec));
    return coc_end_overlap_marks(ctx);
}

}  // namespace

void coc_2122_transfer(coc_context& ctx) {
    ctx.put_n(coc_exposure_start_word(ctx), 3);
    ctx.put_n(w::kWait, 10);
    for (int i = 0; i < 10; ++i) ctx.t.coctime += ctx.k.T;
}

void coc_2122_readout(coc_context& ctx) {
    const float T = ctx.k.T;
    int r = ctx.rec.roiymin;
    for (; r >= 5 && !ctx.overflow(); r -= 2) {
        ctx.put(w::kShift2);
        ctx.t.coctime += T;
    }
    for (; r > 0 && !ctx.overflow(); --r) {
        ctx.put(w::kWait);
        ctx.t.coctime += T;
    }
    const int v = ctx.rec.vbin;
    if (v <= 0) return;
    const int rows = ctx.rec.roiymax - ctx.rec.roiymin;
    const int shifts = v >= 3 ? v / 2 - 1 : 0;
    const uint16_t read = v == 1 ? w::kRead : w::kReadBin2;
    const int lines = rows / v;
    if (lines <= 0) return;
    std::vector<uint16_t> group(static_cast<size_t>(shifts) + 1, kShiftBin);
    group.back() = read;
    ctx.put_repeated(group.data(), group.size(), lines);
    ctx.add_slots(ctx.t.coctime, static_cast<long long>(lines) * (shifts + 1));
}

void coc_2122_flush_words(coc_context& ctx) {
    const float T = ctx.k.T;
    ctx.put(w::kRead);
    ctx.put(w::kWait);
    ctx.t.coctime += 2.0f * T;
    for (int row = ctx.rec.roiymax + 2; row < ctx.rec.ccd_height && !ctx.overflow(); row += 2) {
        ctx.put(w::kShift2);
        ctx.t.coctime += 2.0f * T;
    }
}

void coc_2122_flush(coc_context& ctx) {
    coc_2122_flush_words(ctx);
    ctx.t.coctime += 3.0f * ctx.k.T;
    ctx.put(coc_arm_word(ctx.rec.trigger, coc_arm_rule::whole_value));
}

int coc_build_ccd_2122(coc_context& ctx) {
    const bool long_exposure_class = ctx.rec.camera_typ == 2 || ctx.rec.camera_typ == 3 ||
                                     ctx.rec.camera_typ == 6 || ctx.rec.camera_typ == 7;
    if (!long_exposure_class || !valid_hbin(ctx.rec.hbin) || ctx.rec.vbin <= 0) {
        return kWrongParameter;
    }
    switch (ctx.rec.submode) {
        case 0:
            return long_exposure(ctx);
        case 1:
            return overlapped_exposure(ctx);
        case 2:
            return timed_marks(ctx);
        case 3:
            return overlapped_timed_marks(ctx);
        case 16:
        case 17:
        case 18:
        case 19:
            return header_program_table(ctx);
        default:
            return kWrongParameter;
    }
}

}  // namespace lmv
