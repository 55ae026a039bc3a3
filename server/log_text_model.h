#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text of the server's log window and the rules by which records are added to it.
//
// A record's text (at most 1024 bytes of it) is split at each "\n"; a "\r" just before the
// "\n" is dropped and each piece is added followed by "\r\n". Text after the last "\n" is added
// without a line end, so the next record continues that line; a text without any "\n" gets a
// line end of its own. Empty pieces are skipped. Before each piece, a window that already
// holds more than 399 lines is emptied: the piece (with its line end) becomes the whole text,
// so the log starts afresh once it reaches 400 lines.
//
//   "a\r\nb" then "c"   gives   "a\r\nbc\r\n"
//
// Plain data, used by the log view on the GUI thread.
class LogTextModel {
  public:
    static constexpr std::size_t kMaxRecordBytes = 1024;
    static constexpr std::size_t kMaxLines = 399;

    void Append(std::string_view text);

    const std::string& Text() const { return m_text; }

    // Lines as an edit control counts them: line ends plus one.
    std::size_t LineCount() const { return m_lineEnds + 1; }

  private:
    void appendPiece(std::string_view piece, bool lineEnd);

    std::string m_text;
    std::size_t m_lineEnds = 0;
};
