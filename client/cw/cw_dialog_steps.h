#pragma once

// The stepped values of the autoplay and counter dialogs: the 23 intervals,
// the number of times and the digit count. Up (delta -1) raises; each wraps
// at its ends (900 s <-> 1 s, 1000 <-> 1, 5 <-> 0).
//
// Plain logic; any thread.

#include <array>

namespace cw {

inline constexpr std::array<int, 23> kAutoplayIntervals = {1,   5,   10,  15,  20,  25,  30, 35,
                                                           40,  45,  50,  55,  60,  75,  90, 105,
                                                           120, 150, 180, 200, 300, 600, 900};
// The interval index a value not in the table shows (10 s).
inline constexpr int kDefaultIntervalIndex = 2;
inline constexpr int kMaxTimes = 1000;
inline constexpr int kMaxDigits = 5;
// The serial counter's whole range: the counter dialog shows and sets every
// value it can hold.
inline constexpr int kMaxCounterValue = 2147483647;

int IntervalIndexOf(int seconds);
int StepIntervalIndex(int index, int delta);
int StepTimes(int times, int delta);
int StepDigits(int digits, int delta);

}  // namespace cw
