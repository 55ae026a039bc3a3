#pragma once

// The message numbers of the commands and notices that both programs' windows
// pass to each other (a queued call carries the number). The numbers are this
// system's own and fixed.

// Message number 0x480: a command number in the first argument, one number
// space for both programs.
inline constexpr unsigned WM_EXECUTE_REMOTE_CMD = 0x480;
// Message number 0x470: asks the receiving window to come to the foreground.
inline constexpr unsigned WM_MOVE_WINFOREGROUND = 0x470;
// Message number 0x500: tells a shaded radio button that another member of
// its group was checked.
inline constexpr unsigned WM_CXSHADE_RADIO = 0x500;
