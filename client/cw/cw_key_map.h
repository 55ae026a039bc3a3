#pragma once

// The keys that the keyboard-CW window and the memory-key panel share, in
// one table: Esc (with or without Alt) aborts the keying; F1-F11 send memory
// 1-11; Alt+F1-F4 reach the front panel's stack registers 1-4; Alt+F10 sends
// memory 10 as F10 does; Alt+F5-F9 and Alt+F11 are taken and do nothing.
// Each window keeps its own keys beside these (the keyboard-CW window's
// Alt+T and Alt+X; the memory-key panel's Enter, and its Esc also putting
// the drafts back). A held key is dropped before this, by IsRepeatedHotKey.
//
// Plain logic (Qt's key codes); the caller's thread (the GUI thread).

#include <functional>

namespace cw {

// The memory key that aborts, as Esc asks for it (any key above 10 does).
constexpr int kAbortKey = 27;

struct SharedKeyHooks {
    // A memory key to send, 0-10, or kAbortKey.
    std::function<void(int memKey)> memoryKey;
    // A stack register of the front panel, 0-3.
    std::function<void(int reg)> stackRegister;
};

// Acts on `key` (a Qt::Key; `alt` whether Alt is held) if it is one of the
// shared keys, logging it as both windows do; false for any other key.
bool HandleSharedKey(int key, bool alt, const SharedKeyHooks& hooks);

}  // namespace cw
