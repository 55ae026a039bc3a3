#pragma once

// The edit of one memory text (memory-key panel, configuration page):
// keyable characters only, at most 253; a pasted, dropped or committed tab,
// CR or LF becomes a blank, and any other input that breaks the rule is
// refused whole with a beep. The rule is a validator, so it holds for every
// way text enters the edit. A text set by the program (a memory as stored)
// is shown as it is, even when it breaks the rule; once the operator changes
// it, the whole new text must keep the rule, except that characters may
// always be taken away (Backspace, Delete, a cut), so that such a text can be
// shortened key by key.
//
// GUI thread only.

class CEditEx;
class QWidget;

inline constexpr int kMaxMemoryText = 253;

CEditEx* MakeMemoryTextEdit(QWidget* parent);
