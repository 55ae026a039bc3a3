#pragma once

// Window-message numbers that both programs share. Qt has no window messages;
// the numbers still name the commands and notices that travel between
// windows (a queued call carries the number), so they keep their values.

inline constexpr unsigned WM_USER = 0x400;

// A command number in the first argument, one number space for both programs.
inline constexpr unsigned WM_EXECUTE_REMOTE_CMD = WM_USER + 128;  // 0x480
// Asks the receiving window to come to the foreground.
inline constexpr unsigned WM_MOVE_WINFOREGROUND = WM_USER + 112;  // 0x470
// Tells a shaded radio button that another member of its group was checked.
inline constexpr unsigned WM_CXSHADE_RADIO = WM_USER + 256;  // 0x500

static_assert(WM_EXECUTE_REMOTE_CMD == 0x480);
static_assert(WM_MOVE_WINFOREGROUND == 0x470);
static_assert(WM_CXSHADE_RADIO == 0x500);
