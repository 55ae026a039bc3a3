#pragma once

// The messages the callback servant delivers to the front panel, and the title
// the panel registers under so the servant finds it (platform/window_registry.h).
// The message numbers are this system's own and fixed; traces print them as
// numbers.

#include <cstddef>

#include "radiolink/radio_services.h"

constexpr const char* kFrontPanelTitle = "Elecraft K2 Front Panel";

// wParam 1: the connect notice, text "Pelorin - Connecting requested from %s";
// wParam 2: the connection is up; wParam 14: RF amplifier option in lParam.
constexpr unsigned int WM_NOTIFY_SERVER_STATUS = 0x474;

// wParam: the reply code (sign-extended); text: the reply.
constexpr unsigned int WM_RADIO_REPLY = 0x468;

// wParam TXTMESG_SENT with the text just keyed, or TXTMESG_EMPTY: the kinds
// the radio link reports keyboard-CW progress with (radiolink/radio_services.h).
constexpr unsigned int WM_NOTIFY_TXTMESG_SENT = 0x46E;

constexpr int SERVER_STATUS_CONNECT_NOTICE = 1;
constexpr int SERVER_STATUS_CONNECTED = 2;
constexpr int SERVER_STATUS_RF_AMP_OPTION = 14;

// Longest text one delivery carries; longer texts from the network are cut.
constexpr std::size_t kNotifyTextMax = 99;
