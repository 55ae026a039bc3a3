#pragma once

// Pelorin's hot keys and the one rule for a held one.
//
// Hot keys key the transmitter, store data or log a contact: Esc (with or
// without Alt), F1-F11 (with or without Alt), Alt+L, Alt+T and Alt+X, and, in
// the windows where it stores, Enter. One press is one action: the platform's
// auto-repeat of a held hot key does nothing. Every window's key filter asks
// IsRepeatedHotKey before it acts and drops the press when it says so, so a
// repeat neither acts nor reaches a default handling (Esc's cancel, say).
// Typing, editing, arrows and sliders keep their repeat.
//
// Any thread that has a key event; no state.

class QKeyEvent;

// Whether Enter stores in the window asking (the memory-key panel).
enum class EnterKey { Plain, Stores };

bool IsHotKey(const QKeyEvent& key, EnterKey enter = EnterKey::Plain);
// An auto-repeated press of a hot key: to be dropped.
bool IsRepeatedHotKey(const QKeyEvent& key, EnterKey enter = EnterKey::Plain);
