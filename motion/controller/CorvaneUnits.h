#pragma once
// TAL units and board counts of one axis. A TAL position is the stage's unit scaled by the axis
// factor F (DFF); the board counts in its own counter. Between the two lie the counts per unit
// (cpu), the home position H (DFH, counts), the offset C between counter and position (POS and
// the reference procedures, counts) and the direction sign S (+1 or -1) of the stage.
//
// The sign is applied to the board counter and to the targets sent to the board; H and C are kept
// in the library's own count space. The formulas below are used exactly as stated; for S = -1
// they agree with each other only while C is 0 (see the position notes of ZR_Corvane_TAL.h).

struct CorvaneAxisUnits {
    double cpu = 1;        // counts per unit
    double factor = 1;     // F
    int sign = 1;          // S
    int home = 0;          // H
    int offset = 0;        // C
    double minTravel = 0;  // Tmin, stored multiplied by the factor in force when it was set
    double maxTravel = 0;  // Tmax
};

// round(value x cpu x F), half away from zero.
int UnitsToCounts(const CorvaneAxisUnits& u, double value);
// Board counter k to TAL position: ((k - C) x S - H) / cpu / F.
double CounterToPosition(const CorvaneAxisUnits& u, int counter);
// Library target t of a TAL position: H + round(x x cpu x F) + C.
int PositionToTarget(const CorvaneAxisUnits& u, double position);
// What the board is sent for a target or a step: S x value.
int SignedForBoard(const CorvaneAxisUnits& u, int value);
// H + x x cpu x F lies inside what the board's signed 32-bit counter holds (false for NaN).
bool FitsBoardCounter(const CorvaneAxisUnits& u, double position);
// Tmin <= H / cpu + x x F <= Tmax.
bool IsInTravelRange(const CorvaneAxisUnits& u, double position);
// The travel limits as the user sees them: Tmin / F - (H / cpu) / F, Tmax / F - (H / cpu) / F.
double ReportedMinTravel(const CorvaneAxisUnits& u);
double ReportedMaxTravel(const CorvaneAxisUnits& u);
// The home position in TAL units: H / cpu / F.
double HomeInUnits(const CorvaneAxisUnits& u);
// A velocity or other count rate read from the board: k / cpu / F.
double CountsToUnits(const CorvaneAxisUnits& u, int counts);

// Relative moves continue from the last target t: the board-space base u = S x t - C.
int TargetBase(const CorvaneAxisUnits& u, int target);
// TAL position of a base: (base - H) / cpu / F.
double BaseToPosition(const CorvaneAxisUnits& u, int base);
// The board's target answer k as a base: (k - C) x S.
int CounterToBase(const CorvaneAxisUnits& u, int counter);
// Home from the board counter k: (k - C) x S.
inline int CounterToHome(const CorvaneAxisUnits& u, int counter) {
    return CounterToBase(u, counter);
}

// Sums of counts, kept inside the 32-bit range instead of wrapping.
int AddCounts(long long a, long long b, long long c = 0);
