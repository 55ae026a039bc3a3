#pragma once

// What the power, CW-speed and squelch sliders do with one trackbar
// notification: the member's new value from its old value, the code and the
// thumb's position. Codes 0 line up, 1 line down, 2 page up, 3 page down,
// 4 thumb position, 5 thumb track, 8 end of scroll; 6 and 7 change nothing.
//
// The rules work on the member, not on where the slider put its thumb; the
// panel then places the thumb from the member. Pure functions.

// Power 0-150, on a vertical slider whose thumb stands at 150 - power:
// codes 0 and 2 raise the power by 1 and 10, 1 and 3 lower it (page down only
// from 10 up).
int PowerSliderStep(int power, int code, int position);

// CW speed 9-50 wpm: 0 and 1 by one, 2 and 3 by five.
int CWSpeedSliderStep(int speed, int code, int position);

// Squelch 0-250 in steps of 25 (codes 1 and 2 up, 0 and 3 down); the end of
// a scroll rounds a dragged value down to a multiple of 25.
int SquelchSliderStep(int squelch, int code, int position);
