#include "motion/controller/CorvaneCounts.h"

#include <climits>
#include <cmath>

int RoundToCounts(double product) {
    if (std::isnan(product)) return 0;
    const double rounded = product > 0 ? product + 0.5 : product - 0.5;
    if (rounded >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (rounded <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(rounded);  // truncates towards zero
}

int ClampAccelerationCounts(int value) {
    if (value > kMaxAccelerationCounts) return kMaxAccelerationCounts;
    if (value < kMinAccelerationCounts) return kMinAccelerationCounts;
    return value;
}
