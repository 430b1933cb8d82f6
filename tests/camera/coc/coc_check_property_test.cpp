// Random COC settings on random cameras (a fixed seed, so a failure repeats): whatever the check
// makes of them passes a second check unchanged, SET_COC's commit and the table build.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

#include "camera/coc/coc_round_trip.h"

namespace {

class setting_source {
  public:
    explicit setting_source(uint32_t seed) : random_(seed) {}

    coc_round_trip::coc_case next() {
        coc_round_trip::coc_case c;
        c.camera = static_cast<uint8_t>(below(256));
        c.ccd = static_cast<uint8_t>(below(256));
        c.flags = static_cast<uint8_t>(below(256));
        c.limit = static_cast<uint8_t>(below(256));
        lmv::coc_parameters& p = c.request;
        const int classes[] = {0, 0, 1, 2, 3, 4, 5, 6};
        p.mode = lmv::coc_make_mode(pick(classes), static_cast<int>(below(4)),
                                    static_cast<int>(below(24)));
        p.trigger = lmv::coc_make_trigger(static_cast<int>(below(6)), static_cast<int>(below(4)));
        for (int32_t* r : {&p.roixmin, &p.roixmax, &p.roiymin, &p.roiymax}) *r = region();
        p.hbin = chance(10) ? extreme() : static_cast<int32_t>(below(20));
        p.vbin = (static_cast<int32_t>(below(6)) << 16) | binning();
        p.text = text();
        return c;
    }

  private:
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
    bool chance(uint32_t percent) { return below(100) < percent; }
    template <size_t N>
    int pick(const int (&values)[N]) {
        return values[below(N)];
    }
    int32_t extreme() {
        const int32_t values[] = {INT_MAX, INT_MIN, INT_MAX - 1, -1, 65535, 65536, 1 << 30};
        return values[below(std::size(values))];
    }
    int32_t region() { return chance(5) ? extreme() : static_cast<int32_t>(below(46)) - 2; }
    int32_t binning() {
        if (chance(5)) return static_cast<int32_t>(below(65536));
        const int listed[] = {0, 1, 2, 4, 8, 16, 32, 60, 64, 96, 120, 128, 240, 256, 384, 480};
        return chance(50) ? pick(listed) : static_cast<int32_t>(below(600));
    }
    std::string number() {
        switch (below(8)) {
            case 0:
                return std::to_string(below(100));
            case 1:
                return std::to_string(below(2000001));
            case 2:
                return std::to_string(100 * below(1000));
            case 3:
                return "-1";
            case 4:
                return std::to_string(extreme());
            case 5:
                return "2147483648";
            case 6:
                return "-" + std::to_string(below(3000));
            default:
                return std::to_string(below(1025));
        }
    }
    std::string text() {
        const char* separators[] = {",", ", ", " ", "\r\n", "'"};
        std::string t;
        const uint32_t count = below(15);
        for (uint32_t k = 0; k < count; ++k) {
            if (k) t += separators[below(std::size(separators))];
            t += number();
        }
        if (chance(50)) t += ",-1,-1";
        return t;
    }

    std::mt19937 random_;
};

TEST(CocCheckProperty, CheckedSettingsPassASecondCheckTheCommitAndTheBuild) {
    setting_source source(20240601);
    int failures = 0;
    for (int k = 0; k < 4000 && failures < 10; ++k) {
        const coc_round_trip::coc_case c = source.next();
        std::string broken = coc_round_trip::failure(c);
        if (broken.empty()) broken = coc_round_trip::fine_time_failure(c);
        if (broken.empty()) continue;
        ++failures;
        ADD_FAILURE() << "case " << k << ": " << broken << "\n  request "
                      << coc_round_trip::describe(c.request);
    }
}

}  // namespace
