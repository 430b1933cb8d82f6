// Time values of the fast-shutter camera, in nanoseconds.
#include <cstdint>

#include "camera/board/CcdTraits.h"
#include "camera/coc/CocParamTimes.h"

namespace lmv {
namespace {

constexpr int32_t kCameraFlagExtendedShutter = 0x100;  // camera_flags bit 8
constexpr int32_t kDelayStep = 100;                    // ns grid of the exposure list
constexpr int32_t kGateStep = 200;                     // ns grid of the gated sequences
constexpr int32_t kShortExposureLimit = 100;           // shorter exposures are the 50-ns one
constexpr int32_t kGateMinimum = 1000;
constexpr int32_t kCountedMax = 10000;
constexpr int32_t kMultiRepeatMax = 1000;
constexpr int32_t kLineShiftMinSum = 1000;
constexpr int32_t kLineShiftMinExposure = 200;
constexpr int32_t kStandardTimeMax = 1000000;
constexpr int32_t kDefaultExposure = 20;
constexpr size_t kMaxPairs = kCocMaxTimeValues / 2;
constexpr size_t kMaxGroups = (kCocMaxTimeValues - 2) / 4;  // groups of four and the end mark

bool list_goes_on(const coc_time_job& job, size_t i) {
    return job.times.has(i) && job.times.at(i) != -1;
}

int32_t round_up(int32_t value, int32_t step) {
    return value <= 0 ? 0 : (value + step - 1) / step * step;
}

int32_t in_range(coc_time_job& job, size_t i) {
    return coc_clamp(job.times.at(i), 0, job.rec.exp_max, job.changed);
}

struct gate_pair {
    int32_t delay;
    int32_t exposure;
};

// A pair on the 200-ns grid whose sum is at least `min_sum`; a short sum raises the delay.
gate_pair gated_pair(coc_time_job& job, size_t i, int32_t min_sum) {
    gate_pair g{coc_round_down(in_range(job, i), kGateStep, job.changed),
                coc_round_down(in_range(job, i + 1), kGateStep, job.changed)};
    if (g.delay + g.exposure < min_sum) {
        g.delay = round_up(min_sum - g.exposure, kGateStep);
        job.changed = true;
    }
    return g;
}

// Pairs with the given minimum sums, then a closing gap of at least 1000 ns and a forced 0.
void gated_pairs(coc_time_job& job, std::initializer_list<int32_t> min_sums) {
    std::vector<int32_t> values;
    size_t i = 0;
    for (int32_t min_sum : min_sums) {
        const gate_pair g = gated_pair(job, i, min_sum);
        values.push_back(g.delay);
        values.push_back(g.exposure);
        i += 2;
    }
    int32_t gap = coc_round_down(in_range(job, i), kGateStep, job.changed);
    gap = coc_raise(gap, kGateMinimum, job.changed);
    if (job.times.at(i + 1) != 0) job.changed = true;
    values.push_back(gap);
    values.push_back(0);
    job.text.clear();
    for (int32_t v : values) {
        job.text += coc_format("%d,", v);
        job.store({v});
    }
    job.text += "-1,-1";
    job.store_end();
}

void exposure_list(coc_time_job& job) {
    const int32_t exp_min = job.rec.exp_min;
    const bool fifty_ns = exp_min < kShortExposureLimit;
    std::vector<gate_pair> pairs;
    for (size_t i = 0; pairs.size() < kMaxPairs && list_goes_on(job, i); i += 2) {
        const int32_t delay = coc_round_down(in_range(job, i), kDelayStep, job.changed);
        int32_t exposure = in_range(job, i + 1);
        if (fifty_ns && exposure > 0 && exposure < kShortExposureLimit) {
            if (exposure != exp_min) job.changed = true;
            exposure = exp_min;
        } else {
            exposure = coc_round_down(exposure, kDelayStep, job.changed);
        }
        pairs.push_back({delay, exposure});
    }
    // The 50-ns exposure needs 100 ns of delay on either side.
    for (size_t j = 0; fifty_ns && j < pairs.size(); ++j) {
        if (pairs[j].exposure != exp_min) continue;
        pairs[j].delay = coc_raise(pairs[j].delay, kShortExposureLimit, job.changed);
        if (j + 1 < pairs.size())
            pairs[j + 1].delay = coc_raise(pairs[j + 1].delay, kShortExposureLimit, job.changed);
    }
    job.text.clear();
    for (const gate_pair& g : pairs) {
        job.text += coc_format("%d,%d,\r\n", g.delay, g.exposure);
        job.store({g.delay, g.exposure});
    }
    job.text += "-1,-1\r\n";
    job.store_end();
}

void double_shutter(coc_time_job& job) {
    if (coc_trigger_low(job.p.trigger) == 0) job.set_trigger_low(2);
    job.keep_request();
}

void counted_exposure(coc_time_job& job) {
    const int low = coc_trigger_low(job.p.trigger);
    if (low == 1 || low == 2) job.clear_trigger_low();
    const int32_t count = coc_clamp(job.times.at(0), 1, kCountedMax, job.changed);
    job.text = coc_format("%d,0,-1,-1", count);
    job.store({count, 0});
    job.store_end();
}

// Groups (1, repetitions, delay, exposure).
void multi_exposure(coc_time_job& job) {
    job.text.clear();
    size_t groups = 0;
    for (size_t i = 0; groups < kMaxGroups && list_goes_on(job, i); i += 4, ++groups) {
        if (job.times.at(i) != 1) job.changed = true;
        const int32_t repeat = coc_clamp(job.times.at(i + 1), 0, kMultiRepeatMax, job.changed);
        int32_t a = coc_round_down(in_range(job, i + 2), kGateStep, job.changed);
        const int32_t b = coc_round_down(in_range(job, i + 3), kGateStep, job.changed);
        if (a + b < kGateMinimum) {
            a = kGateMinimum - b;
            job.changed = true;
        }
        job.text += coc_format("%d,%d,%d,%d,\r\n", 1, repeat, a, b);
        job.store({1, repeat, a, b});
    }
    if (list_goes_on(job, groups * 4)) job.changed = true;  // groups beyond the limit dropped
    job.text += "-1,-1";
    job.store_end();
    if (coc_trigger_low(job.p.trigger) == 0) job.set_trigger_low(2);
}

int32_t snap_line_count(int32_t first) {
    if (first < 64) return 32;
    if (first > 1024) return 1024;
    int32_t snapped = 64;
    while (snapped * 2 <= first) snapped *= 2;
    return snapped;
}

// Lines per shift, a skipped value, then up to 2 x 1024 / lines pairs.
void line_shift(coc_time_job& job) {
    const int32_t lines = snap_line_count(job.times.at(0));
    if (lines != job.times.at(0)) job.changed = true;
    const size_t max_pairs = 2 * 1024 / lines;
    job.text = coc_format("%d,0,\r\n", lines);
    size_t i = 2;
    for (size_t pairs = 0; pairs < max_pairs && list_goes_on(job, i); ++pairs, i += 2) {
        int32_t delay = in_range(job, i);
        int32_t exposure = in_range(job, i + 1);
        if (exposure > 0 && exposure < kLineShiftMinExposure) {
            exposure = kLineShiftMinExposure;
            job.changed = true;
        }
        delay = coc_round_down(delay, kGateStep, job.changed);
        exposure = coc_round_down(exposure, kGateStep, job.changed);
        if (delay + exposure < kLineShiftMinSum) {
            delay = kLineShiftMinSum - exposure;
            job.changed = true;
        }
        job.text += coc_format("%d,%d,\r\n", delay, exposure);
        job.store({delay, exposure});
    }
    if (list_goes_on(job, i)) job.changed = true;  // pairs beyond the limit dropped
    job.text += "-1,-1\r\n";
    job.store_end();
    job.has_line_count = true;
    job.line_count = lines;
}

void delay_and_time(coc_time_job& job) {
    const int32_t delay = coc_clamp(job.times.at(0), 0, kStandardTimeMax, job.changed);
    const int32_t time =
        coc_clamp(job.times.at(1, kDefaultExposure), 1, kStandardTimeMax, job.changed);
    job.text = coc_format("%d,%d,-1,-1", delay, time);
    job.store({delay, time});
    job.store_end();
}

// The submode the camera can run: shortcuts resolved, unsupported ones dropped to 0.
int resolve_submode(const coc_time_job& job) {
    const int low = coc_mode_low(job.p.mode);
    int submode = job.submode();
    if (low >= kFastShortcutFirst && low <= kFastShortcutLast) submode = low - 1;
    const uint32_t runs = ccd_traits_or_unknown(job.rec.ccd_typ).fast_submodes;
    switch (submode) {
        case 1:
        case 2:
            return job.rec.camera_flags & kCameraFlagExtendedShutter ? submode : 0;
        case 6:
            return runs & (1u << 6) ? 6 : 0;
        case 9:
            return runs & (1u << 9) ? 9 : 0;
        case 7:
        case 8:
            if (runs & (1u << submode)) return submode;
            return runs & (1u << 7) ? 7 : 0;
        default:
            return submode < 10 ? submode : 0;
    }
}

}  // namespace

void coc_fast_shutter_times(coc_time_job& job) {
    job.set_mode(1, resolve_submode(job));
    switch (job.submode()) {
        case 1:
        case 2:
            return double_shutter(job);
        case 3:
            return counted_exposure(job);
        case 4:
            return gated_pairs(job, {993, 1000});
        case 5:
            return multi_exposure(job);
        case 6:
            return line_shift(job);
        case 7:
        case 8:
            return gated_pairs(job, {993, 1000, 993, 993});
        case 9:
            return delay_and_time(job);
        default:
            return exposure_list(job);
    }
}

}  // namespace lmv
