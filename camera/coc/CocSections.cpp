#include "camera/coc/CocSections.h"

#include <cmath>
#include <iterator>

#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;

struct read_line_words {
    int vbin;
    int shifts16;  // leading 198 words
    coc_word_list tail;
};

constexpr read_line_words kReadLines[] = {
    {1, 0, {1, {201}}},
    {2, 0, {1, {202}}},
    {4, 0, {2, {196, 200}}},
    {8, 0, {2, {197, 200}}},
    {15, 0, {3, {197, 196, 203}}},
    {16, 1, {1, {200}}},
    {30, 1, {3, {197, 196, 202}}},
    {32, 2, {1, {200}}},
    {60, 3, {3, {197, 196, 200}}},
    {64, 4, {1, {200}}},
    {120, 7, {2, {197, 200}}},
    {128, 8, {1, {200}}},
    {240, 15, {1, {200}}},
    {256, 16, {1, {200}}},
    {480, 30, {1, {200}}},
    {512, 32, {1, {200}}},
    {1024, 64, {1, {200}}},
};

const read_line_words* read_line_for(int vbin) {
    for (const auto& entry : kReadLines) {
        if (entry.vbin == vbin) return &entry;
    }
    return nullptr;
}

struct trigger_header {
    coc_word_list words;
};
constexpr trigger_header kTriggerHeaders[] = {
    {{2, {3010, 2498}}},
    {{3, {3010, 1218, 2498}}},
    {{3, {2754, 1474, 2242}}},
};

long long floor_to_count(float value) {
    return value > 0.0f ? static_cast<long long>(std::floor(value)) : 0;
}

}  // namespace

uint16_t coc_exposure_start_word(const coc_context& ctx) {
    int offset = 0;
    switch (ctx.rec.hbin) {
        case 2:
            offset = 2;
            break;
        case 4:
            offset = 4;
            break;
        case 8:
            offset = 6;
            break;
        default:
            break;
    }
    return static_cast<uint16_t>(w::kExposureStart + offset + ctx.c);
}

bool coc_external_trigger(int32_t trigger, coc_arm_rule rule) {
    if ((trigger & 0xFF) == 1) return true;
    switch (rule) {
        case coc_arm_rule::flags_byte:
            return ((trigger >> 8) & 0xFF) == 1;
        case coc_arm_rule::whole_value:
            return trigger >= 256 && trigger <= 511;
    }
    return false;
}

uint16_t coc_arm_word(int32_t trigger, coc_arm_rule rule) {
    return coc_external_trigger(trigger, rule) ? w::kArmExternal : w::kArmInternal;
}

void coc_trigger_header(coc_context& ctx) {
    const int mode = ctx.rec.trigger & 0xFF;
    if (mode >= static_cast<int>(std::size(kTriggerHeaders))) return;
    const coc_word_list& list = kTriggerHeaders[mode].words;
    for (int i = 0; i < list.count; ++i) ctx.put(list.words[i]);
}

void coc_option_program(coc_context& ctx) {
    ctx.put_n(static_cast<uint16_t>(w::kExposureStart + ctx.c), 3);
    ctx.put_n(w::kWait, floor_to_count(40000.0f / ctx.k.T));
    ctx.put_n(w::kRead, 10);
}

coc_exposure_slots coc_split_exposure(const coc_context& ctx, float f, int margin,
                                      bool allow_power_down) {
    const float T = ctx.k.T;
    const float B = ctx.block_time();
    coc_exposure_slots s;
    if (!(f > 0.0f)) return s;
    s.o = floor_to_count(f / B);
    s.r = floor_to_count((f - static_cast<float>(s.o) * B) / T);
    const long long lo = ctx.rec.powerdown_lo;
    if (!allow_power_down || s.r + 1024 * s.o <= ctx.rec.powerdown_hi - margin || lo < 0) {
        return s;
    }
    coc_exposure_slots pd = s;
    if (pd.r < lo) {
        const long long k = (lo - pd.r + 1023) / 1024;
        pd.r += 1024 * k;
        pd.o -= k;
    }
    pd.r -= lo;
    // Power-down counts that leave no powered-down part cannot be honoured.
    if (pd.o < 0) return s;
    pd.power_down = true;
    return pd;
}

float coc_write_exposure(coc_context& ctx, const coc_exposure_slots& slots, bool tail_blocks) {
    const float T = ctx.k.T;
    const float B = ctx.block_time();
    const uint16_t start = coc_exposure_start_word(ctx);
    if (!slots.power_down) {
        ctx.put_n(start, 3);
        ctx.put_n(w::kWaitBlock, slots.o);
        ctx.put_n(w::kWait, slots.r);
        return static_cast<float>(slots.o) * B + static_cast<float>(slots.r) * T;
    }
    const int lo = ctx.rec.powerdown_lo;
    ctx.put_n(w::kPowerDownWaitBlock, slots.o);
    ctx.put_n(w::kPowerDownWait, slots.r);
    ctx.put_n(start, 3);
    if (tail_blocks) {
        for (int counter = 0; counter < lo;) {
            if (counter < lo - 1025) {
                ctx.put(w::kWaitBlock);
                counter += 1024;
            }
            ctx.put(w::kWait);
            counter += 1;
        }
    } else {
        ctx.put_n(w::kWait, lo);
    }
    return static_cast<float>(slots.o) * B + static_cast<float>(slots.r) * T +
           static_cast<float>(lo) * T;
}

float coc_exposure_us(const coc_context& ctx) {
    return static_cast<float>(ctx.rec.timevalues[1]) * 1000.0f - ctx.k.S + ctx.k.E;
}

void coc_exposure_section(coc_context& ctx, const coc_exposure_form& form) {
    const float T = ctx.k.T;
    const float E = ctx.k.E;
    const float S = ctx.k.S;
    const float B = ctx.block_time();
    const float delay = static_cast<float>(ctx.rec.timevalues[0]) * 1000.0f;
    const long long t = floor_to_count(delay / B);
    const float rest = (delay - static_cast<float>(t) * B) / T;
    const long long d = floor_to_count(form.round_delay ? rest + 0.5f : rest);

    const coc_exposure_slots slots =
        coc_split_exposure(ctx, coc_exposure_us(ctx), form.power_down_margin, form.power_down);
    if (slots.power_down) ctx.put_n(static_cast<uint16_t>(w::kPowerDownStart + ctx.c), 3);
    ctx.put(w::kBoundary);
    ctx.put_n(w::kWaitBlock, t);
    ctx.put_n(w::kWait, d);
    ctx.put(w::kBoundary);
    const float exposure = coc_write_exposure(ctx, slots, form.tail_blocks);
    ctx.put(w::kExposureEnd);

    const float delay_time = static_cast<float>(t) * B + static_cast<float>(d) * T;
    ctx.t.deltime += T + delay_time + E;
    ctx.t.beltime += T + delay_time + T + exposure + T;
    ctx.t.exptime += (T - E) + exposure + S;
}

void coc_pre_readout(coc_context& ctx) {
    const coc_word_list& list = coc_words_for(ctx.rec.ccd_typ).pre_readout;
    for (int i = 0; i < list.count; ++i) {
        ctx.put(list.words[i]);
        ctx.t.coctime += ctx.k.T;
    }
}

void coc_row_skip(coc_context& ctx, coc_skip_form form) {
    const float T = ctx.k.T;
    for (int r = ctx.rec.roiymin; r > 0 && !ctx.overflow();) {
        if (r > 50) {
            ctx.put(w::kShift16);
            ctx.put(w::kShift2);
            ctx.t.coctime += 2.0f * T;
            r -= 18;
        } else if (r >= 21) {
            ctx.put(w::kShift8);
            if (form == coc_skip_form::general) {
                ctx.put(w::kShift8Read);
                r -= 8;
            } else {
                ctx.put(w::kShift2);
                r -= 10;
            }
            ctx.t.coctime += 2.0f * T;
        } else if (r >= 9) {
            ctx.put(w::kShift2);
            ctx.t.coctime += T;
            r -= 2;
        } else {
            ctx.put(w::kWait);
            ctx.t.coctime += T;
            r -= 1;
        }
    }
}

void coc_read_lines(coc_context& ctx) {
    const read_line_words* line = read_line_for(ctx.rec.vbin);
    if (line == nullptr) return;
    const int lines = (ctx.rec.roiymax - ctx.rec.roiymin) / line->vbin;
    if (lines <= 0) return;
    uint16_t group[std::size(kReadLines[0].tail.words) + 64];
    const int words = line->shifts16 + line->tail.count;
    std::fill(group, group + line->shifts16, w::kShift16);
    std::copy(line->tail.words, line->tail.words + line->tail.count, group + line->shifts16);
    ctx.put_repeated(group, static_cast<size_t>(words), lines);
    ctx.add_slots(ctx.t.coctime, static_cast<long long>(lines) * words);
}

void coc_readout(coc_context& ctx) {
    coc_row_skip(ctx, coc_skip_form::general);
    coc_read_lines(ctx);
}

void coc_flush_rows(coc_context& ctx, int first_row) {
    const float T = ctx.k.T;
    const int height = ctx.rec.ccd_height;
    int row = first_row;
    for (; row < height && !ctx.overflow(); row += 50) {
        ctx.put_n(w::kShift16, 3);
        ctx.put(w::kShift2);
        ctx.t.coctime += 4.0f * T;
    }
    for (; row < height + ctx.k.X && !ctx.overflow(); row += 2) {
        ctx.put(w::kShift2);
        ctx.t.coctime += T;
    }
}

void coc_flush_words(coc_context& ctx, bool lead_per_word) {
    const float T = ctx.k.T;
    const bool short_flush = coc_words_for(ctx.rec.ccd_typ).short_flush;
    if (short_flush) {
        ctx.put(w::kRead);
        ctx.put(w::kWait);
        ctx.t.coctime += lead_per_word ? 2.0f * T : T;
    } else {
        ctx.put_n(w::kRead, 2);
        ctx.put_n(w::kWait, 2);
        ctx.t.coctime += 4.0f * T;
    }
    coc_flush_rows(ctx, ctx.rec.roiymax + (short_flush ? 2 : 4));
}

void coc_flush(coc_context& ctx) {
    coc_flush_words(ctx);
    ctx.t.coctime += 3.0f * ctx.k.T;
    ctx.put(coc_arm_word(ctx.rec.trigger, coc_arm_rule::flags_byte));
}

}  // namespace lmv
