#pragma once

// The kinds of text the front panel's status line shows: the first argument
// of CK2FrontPanelControlDlg::ShowStatus and of every family's hook that ends
// there. An error shows in the line's red, any other kind in its normal
// colours; the panel keeps the last kind beside the text.
//
// Constants only; any thread.

inline constexpr int kStatusNormal = 1;
inline constexpr int kStatusError = 2;
