#pragma once
// Conversion of TAL units into board counts.

// Rounds half away from zero: 0.5 is added to a positive product and subtracted from a product that
// is zero or negative, then the value is truncated towards zero. Products beyond the 32-bit range
// are clamped to it and NaN gives 0, so a wild parameter can never produce an arbitrary count.
int RoundToCounts(double product);

// The acceleration line "SA%d" with the value clamped to 200..9999999.
inline constexpr int kMinAccelerationCounts = 200;
inline constexpr int kMaxAccelerationCounts = 9999999;
int ClampAccelerationCounts(int value);
