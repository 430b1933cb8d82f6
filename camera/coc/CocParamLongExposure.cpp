// Time values of the long-exposure cameras, in milliseconds.
#include <algorithm>
#include <cstdint>

#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocParamTimes.h"

namespace lmv {
namespace {

constexpr int32_t kDefaultExposure = 20;
constexpr int64_t kBoardMemoryBytes = 8388608;  // pictures a line sequence may hold
constexpr int32_t kMaxSequenceExposure = 9999;
constexpr int32_t kHeaderTimeMax = 65536;
constexpr int32_t kHeaderExposureMin = 5;
constexpr int kHeaderTriggerLimit = 4;
constexpr int32_t kTestTableVbin = 32;

struct delay_exposure {
    int32_t delay;
    int32_t exposure;
};

// Delay 0..exp_max, exposure 1..exp_max (20 when missing).
delay_exposure read_pair(coc_time_job& job, size_t first) {
    const int32_t most = job.rec.exp_max;
    return {coc_clamp(job.times.at(first), 0, most, job.changed),
            coc_clamp(job.times.at(first + 1, kDefaultExposure), 1, most, job.changed)};
}

int32_t saturated(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void clear_trigger_above(coc_time_job& job, int limit) {
    if (coc_trigger_low(job.p.trigger) > limit) job.clear_trigger_low();
}

void single_exposure(coc_time_job& job) {
    const delay_exposure de = read_pair(job, 0);
    if (job.submode() == 1) job.clear_trigger_low();
    clear_trigger_above(job, 2);
    job.text = coc_format("%d,%d,-1,-1", de.delay, de.exposure);
    job.store({de.delay, de.exposure});
    job.store_end();
}

// Delay and exposure, then either the end or two zeros and the mark offsets k and l.
void timed_marks(coc_time_job& job) {
    const delay_exposure de = read_pair(job, 0);
    job.clear_trigger_low();
    if (!job.times.has(2) || job.times.at(2) == -1) {
        job.text = coc_format("%d,%d,-1,-1", de.delay, de.exposure);
        // Without offsets the marks sit at the start and the end of the exposure.
        job.store({de.delay, de.exposure, 0, 0});
        job.store_end();
        return;
    }
    if (job.times.at(2) != 0 || job.times.at(3) != 0) job.changed = true;
    // Offsets near the ends of the int range: the sums in 64 bits, the results held inside it.
    const int64_t e = de.exposure;
    int64_t k = job.times.at(4);
    int64_t l = job.times.at(5);
    if (job.submode() == 3) {
        k = coc_clamp(job.times.at(4), 0, de.exposure - 1, job.changed);
        if (l > 0) l = 0, job.changed = true;
        if (l < k - e) l = k - e, job.changed = true;
    } else {
        if (k < -de.delay) k = -de.delay, job.changed = true;
        if (!(l > k - e)) l = k - e + 1, job.changed = true;
        if (!(e + l >= k)) l = k, job.changed = true;
    }
    const int32_t k32 = saturated(k), l32 = saturated(l);
    if (k32 != k || l32 != l) job.changed = true;
    job.text = coc_format("%d,%d,0,0,%d,%d,-1,-1", de.delay, de.exposure, k32, l32);
    job.store({de.delay, de.exposure, k32, l32});
    job.store_end();
}

void fixed_test_table(coc_time_job& job) {
    job.p.trigger = 0;
    job.p.roiymin = 1;
    job.p.roiymax = job.rec.ccd_height / kCocRegionUnit;
    job.p.vbin = (job.p.vbin & ~0xFFFF) | kTestTableVbin;
    job.text = "0,2,-1,-1";
    job.store({0, 2});
    job.store_end();
}

// Lines, exposure in line units, and a count of line blocks that must fit the board memory.
void line_sequence(coc_time_job& job) {
    const board_record& rec = job.rec;
    job.p.roixmin = 1;
    job.p.roixmax = rec.ccd_width / kCocRegionUnit;
    job.p.roiymin = 1;
    job.p.roiymax = rec.ccd_height / kCocRegionUnit;
    // The sequence reads the whole sensor: the binning must divide its rows, not the region's.
    const int32_t vbin = coc_fit_vbin(rec, job.p.vbin & 0xFFFF, job.p.roiymax * kCocRegionUnit);
    job.p.vbin = (job.p.vbin & ~0xFFFF) | vbin;
    int32_t lines = coc_clamp(job.times.at(0), vbin, rec.ccd_height, job.changed);
    lines = coc_round_down(lines, vbin, job.changed);
    const int32_t exposure = coc_clamp(job.times.at(1), 0, kMaxSequenceExposure, job.changed);
    int32_t count = job.times.at(2);
    const int64_t hbin = job.p.hbin > 0 ? job.p.hbin : 1;
    const int64_t bytes_per_block = int64_t{lines / vbin} * (rec.ccd_width / hbin) * 2;
    if (bytes_per_block > 0 && bytes_per_block * count > kBoardMemoryBytes) {
        count = static_cast<int32_t>(kBoardMemoryBytes / bytes_per_block - 1);
        job.changed = true;
    }
    job.clear_trigger_low();
    if (count < 1) {
        job.text = coc_format("%d,%d,-1,-1", lines, exposure);
        job.store({lines, exposure});
    } else {
        job.text = coc_format("%d,%d,%d,0,-1,-1", lines, exposure, count);
        job.store({lines, exposure, count, 0});
    }
    job.store_end();
}

void double_exposure(coc_time_job& job) {
    const delay_exposure first = read_pair(job, 0);
    const delay_exposure second = read_pair(job, 2);
    job.text =
        coc_format("%d,%d,%d,%d,-1,-1", first.delay, first.exposure, second.delay, second.exposure);
    job.store({first.delay, first.exposure, second.delay, second.exposure});
    job.store_end();
}

void header_exposure(coc_time_job& job) {
    const int32_t delay = coc_clamp(job.times.at(0), 0, kHeaderTimeMax, job.changed);
    const int32_t exposure = coc_clamp(job.times.at(1, kDefaultExposure), kHeaderExposureMin,
                                       kHeaderTimeMax, job.changed);
    clear_trigger_above(job, kHeaderTriggerLimit);
    job.text = coc_format("%d,%d,-1,-1", delay, exposure);
    job.store({delay, exposure});
    job.store_end();
}

void fixed_header(coc_time_job& job) {
    clear_trigger_above(job, kHeaderTriggerLimit);
    if (coc_trigger_low(job.p.trigger) == 0) job.set_trigger_low(1);
    job.keep_request();
}

}  // namespace

void coc_long_exposure_times(coc_time_job& job) {
    int submode = job.submode();
    // A submode the CCD's builder has no table for would be refused by SET_COC's build.
    if (!coc_has_long_exposure_table(job.rec.ccd_typ, submode)) submode = 0;
    job.set_mode(0, submode);
    switch (submode) {
        case 2:
        case 3:
            return timed_marks(job);
        case 4:
            return fixed_test_table(job);
        case 5:
            return line_sequence(job);
        case 6:
            return double_exposure(job);
        case 16:
        case 17:
            return header_exposure(job);
        case 18:
        case 19:
            return fixed_header(job);
        default:  // 0 and 1
            return single_exposure(job);
    }
}

}  // namespace lmv
