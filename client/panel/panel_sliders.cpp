#include "client/panel/panel_sliders.h"

#include <algorithm>

int PowerSliderStep(int power, int code, int position) {
    switch (code) {
        case 0:
            return std::min(power + 1, 150);
        case 1:
            return std::max(power - 1, 0);
        case 2:
            return std::min(power + 10, 150);
        case 3:
            return power >= 10 ? power - 10 : power;
        case 4:
        case 5:
            return std::clamp(150 - position, 0, 150);
        default:
            return power;
    }
}

namespace {

int cwSpeedRule(int speed, int code, int position) {
    switch (code) {
        case 0:
            return std::max(speed - 1, 9);
        case 1:
            return std::min(speed + 1, 50);
        case 2:
            return std::max(speed - 5, 9);
        case 3:
            return std::min(speed + 5, 50);
        case 4:
        case 5:
            return std::clamp(position, 9, 50);
        default:
            return speed;
    }
}

}  // namespace

// The speed starts at 1 until the radio reports it; a step from there lands
// inside the slider's range, never below it.
int CWSpeedSliderStep(int speed, int code, int position) {
    return std::clamp(cwSpeedRule(speed, code, position), 9, 50);
}

int SquelchSliderStep(int squelch, int code, int position) {
    switch (code) {
        case 0:
        case 3:
            return squelch >= 25 ? squelch - 25 : squelch;
        case 1:
        case 2:
            return std::min(squelch + 25, 250);
        case 4:
        case 5:
            return std::clamp(position, 0, 250);
        case 8:
            return squelch - squelch % 25;
        default:
            return squelch;
    }
}
