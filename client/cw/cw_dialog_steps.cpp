#include "client/cw/cw_dialog_steps.h"

namespace cw {

namespace {

// Up (-1) raises by one, down (+1) lowers; `low` and `high` wrap to each other.
int wrapStep(int value, int delta, int low, int high) {
    if (delta < 0) {
        return value >= high ? low : value + 1;
    }
    if (delta > 0) {
        return value <= low ? high : value - 1;
    }
    return value;
}

}  // namespace

int IntervalIndexOf(int seconds) {
    for (std::size_t i = 0; i < kAutoplayIntervals.size(); ++i) {
        if (kAutoplayIntervals[i] == seconds) {
            return static_cast<int>(i);
        }
    }
    return kDefaultIntervalIndex;
}

int StepIntervalIndex(int index, int delta) {
    return wrapStep(index, delta, 0, static_cast<int>(kAutoplayIntervals.size()) - 1);
}

int StepTimes(int times, int delta) {
    return wrapStep(times, delta, 1, kMaxTimes);
}

int StepDigits(int digits, int delta) {
    return wrapStep(digits, delta, 0, kMaxDigits);
}

}  // namespace cw
