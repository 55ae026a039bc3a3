#pragma once

// The text rules of keyboard CW, shared by the type-in line, the memories and
// the partner's texts.
//
// CW text is printable ASCII (0x20-0x7E), one byte per character on the
// server and in every count. Brakton copies each KeyboardCW text into a
// 255-byte block, so one call carries at most 254 characters; a longer text
// goes in pieces that end after a separator where one is near.
//
// PendingText is the text handed to the server but not yet keyed: it grows
// with every accepted text and shrinks by the length of every keyed chunk the
// server reports.
//
// Plain C++; GUI thread in practice, no locks.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

// The characters that end a word: blank, comma, equals sign, full stop,
// question mark, plus, opening parenthesis, per cent and asterisk.
inline constexpr std::string_view kSeparators = " ,=.?+(%*";
// The most characters Brakton takes in one KeyboardCW call.
inline constexpr std::size_t kMaxCallChars = 254;

bool IsSeparator(char ch);

// A text from the settings, a slot or a partner made ready for keying: a
// control character becomes a blank; nothing when it holds a character
// outside ASCII (the caller reports it and sends nothing).
std::optional<std::string> KeyableText(std::string_view text);

// A memory text is at most 253 characters of keyable ASCII, the rule of its
// edit. Why a stored memory text breaks that rule ("longer than 253
// characters", "only ASCII characters can be keyed"); nothing when it keeps
// it. Control characters keep it: they are keyed as blanks.
inline constexpr std::size_t kMaxMemoryTextChars = 253;
std::optional<std::string> MemoryTextFault(std::string_view text);

// Operator input for an edit (typed, pasted, dropped or committed by an input
// method), as UTF-32: a tab, CR or LF becomes a blank; nothing when any other
// character is not printable ASCII (the input is refused whole).
std::optional<std::string> TypedCwText(std::u32string_view input);

// `text` in pieces of at most 254 characters, each ending after its last
// separator within the limit, else at the limit. Joined they equal `text`;
// an empty text has no pieces.
std::vector<std::string> SplitCWText(std::string_view text);

class PendingText {
  public:
    const std::string& text() const { return m_text; }
    bool empty() const { return m_text.empty(); }

    void append(std::string_view text) { m_text.append(text); }
    void clear() { m_text.clear(); }

    // A chunk the radio was given: as many characters as it carries go,
    // matching or not. True when the pending text began with it.
    bool keyed(std::string_view chunk);

  private:
    std::string m_text;
};

}  // namespace cw
