#pragma once

// The green shade: the face the client's dialogs give most of their shaded
// buttons (CxShadeButton), dark green text on shade pattern 8 tinted towards
// a light green. Every family's dialogs take it from here, and so does a
// window that varies it: the front panel's layout table keeps its own
// patterns but these numbers, the key-switch page swaps the colour alone.
//
// The numbers need nothing of Qt, so a widget-free model or table can name
// them; the two functions need a button. GUI thread only for those.

#include <cstdint>

class CxShadeButton;

namespace green_shade {

// 0x00BBGGRR, as every colour of the dialogs.
inline constexpr std::uint32_t kTextColor = 0x006300;
inline constexpr std::uint32_t kShadeColor = 0x37FF37;

// The SetShade parameters of the face.
inline constexpr unsigned kShadeType = 8;
inline constexpr std::uint8_t kGranularity = 8;
inline constexpr std::uint8_t kHighlight = 10;
inline constexpr std::uint8_t kColoring = 5;

// The dialogs' button font: Tahoma, 12 px cell, normal weight.
inline constexpr int kFontHeight = 12;
inline constexpr int kFontWeight = 400;

// The face alone, tinted towards `color` (the green unless a window says
// otherwise); font and text colour stay as they are.
void shade(CxShadeButton& button, std::uint32_t color = kShadeColor);

// Font, text colour and face, in that order.
void style(CxShadeButton& button, int fontHeight = kFontHeight, int fontWeight = kFontWeight);

}  // namespace green_shade
