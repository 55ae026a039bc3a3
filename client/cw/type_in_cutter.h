#pragma once

// TypeInCutter: the type-in line of the keyboard-CW window without its
// widget.
//
// The line holds text already handed to the server (the first sentPosition()
// characters) followed by the unsent tail. Every change of the line comes in
// here as one input event (a typed character, a paste, an input-method
// commit, Backspace, Delete, a cut); each event may change only the unsent
// tail. After the change every complete word of the tail (up to and including
// its first separator) is handed to the sender in order; a tail that would
// carry the line past 108 characters while nothing sent is left goes whole.
// A word the sender refuses stays unsent and goes again with the next
// separator. Once the line passes 108 characters the sent text is cut away,
// so the line holds only the unsent tail. The unsent tail holds at most 110
// characters; an input that would pass that, or holds a character that is
// not printable ASCII, is refused whole with a beep.
//
// Selection positions are character offsets into the line; an edit whose
// place lies in the sent part moves to the start of the unsent tail.
//
// Plain logic; the caller's thread (the GUI thread).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

class TypeInCutter {
  public:
    // A line full of unsent text at 108 characters goes whole.
    static constexpr int kLineFull = 108;
    // The most unsent characters the line takes.
    static constexpr int kLineLimit = 110;

    // Hands one word to the server; false when it was not taken.
    using Sender = std::function<bool(const std::string& token)>;

    struct Result {
        std::vector<std::string> tokens;  // words the sender took, in order
        bool beep = false;                // the input was refused
        bool changed = false;             // line, sent position or caret changed
    };

    // Typed, pasted, dropped or committed text at the selection [selStart,
    // selEnd) (equal: the caret). Tab, CR and LF become blanks.
    Result insert(std::u32string_view text, int selStart, int selEnd, const Sender& send);
    // Backspace: the selection, or the character before the caret; refused
    // with a beep when it lies in the sent text.
    Result backspace(int selStart, int selEnd);
    // Delete and cut: the selection, or the character after the caret; nothing
    // when it lies in the sent text.
    Result erase(int selStart, int selEnd);
    // Empty line, sent position 0, caret at the start.
    void clear();

    const std::string& line() const { return m_line; }
    int sentPosition() const { return m_sent; }
    int caret() const { return m_caret; }

  private:
    void cutTokens(const Sender& send, Result& result);
    int clampToTail(int position) const;

    std::string m_line;
    int m_sent = 0;
    int m_caret = 0;
};

}  // namespace cw
