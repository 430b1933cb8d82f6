#include "motion/controller/CorvaneUnits.h"

#include <climits>

#include "motion/controller/CorvaneCounts.h"

int AddCounts(long long a, long long b, long long c) {
    const long long sum = a + b + c;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

namespace {
int Times(long long value, int sign) {
    return AddCounts(value * sign, 0);
}
}  // namespace

int UnitsToCounts(const CorvaneAxisUnits& u, double value) {
    return RoundToCounts(value * u.cpu * u.factor);
}

int CounterToBase(const CorvaneAxisUnits& u, int counter) {
    return Times(static_cast<long long>(counter) - u.offset, u.sign);
}

double BaseToPosition(const CorvaneAxisUnits& u, int base) {
    return static_cast<double>(static_cast<long long>(base) - u.home) / u.cpu / u.factor;
}

double CounterToPosition(const CorvaneAxisUnits& u, int counter) {
    return BaseToPosition(u, CounterToBase(u, counter));
}

int PositionToTarget(const CorvaneAxisUnits& u, double position) {
    return AddCounts(u.home, UnitsToCounts(u, position), u.offset);
}

int SignedForBoard(const CorvaneAxisUnits& u, int value) {
    return Times(value, u.sign);
}

bool FitsBoardCounter(const CorvaneAxisUnits& u, double position) {
    const double counts = static_cast<double>(u.home) + position * u.cpu * u.factor;
    return counts > static_cast<double>(INT_MIN) && counts < static_cast<double>(INT_MAX);
}

bool IsInTravelRange(const CorvaneAxisUnits& u, double position) {
    const double x = u.home / u.cpu + position * u.factor;
    return u.minTravel <= x && x <= u.maxTravel;
}

double ReportedMinTravel(const CorvaneAxisUnits& u) {
    return u.minTravel / u.factor - (u.home / u.cpu) / u.factor;
}

double ReportedMaxTravel(const CorvaneAxisUnits& u) {
    return u.maxTravel / u.factor - (u.home / u.cpu) / u.factor;
}

double HomeInUnits(const CorvaneAxisUnits& u) {
    return u.home / u.cpu / u.factor;
}

double CountsToUnits(const CorvaneAxisUnits& u, int counts) {
    return counts / u.cpu / u.factor;
}

int TargetBase(const CorvaneAxisUnits& u, int target) {
    return AddCounts(static_cast<long long>(u.sign) * target, -static_cast<long long>(u.offset));
}
