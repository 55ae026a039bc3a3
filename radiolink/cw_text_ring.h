#pragma once

// CWTextRing and BuildCWChunk: the keyboard-CW text queue and the rule that
// cuts it into the chunks the radio takes.
//
// The ring holds the text accepted for sending, at most kCapacity characters
// (one slot of the 2048 always stays free). BuildCWChunk takes the next chunk:
// the text left over from the last chunk first, then characters from the ring
// up to 24 in all, cut after the last separator among the characters taken;
// what follows that separator becomes the new leftover. A run without any
// separator is sent as taken. Used by the CW task only, on its own thread.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

class CWTextRing {
  public:
    static constexpr std::size_t kSize = 2048;
    static constexpr std::size_t kCapacity = kSize - 1;

    bool IsTxBufferEmpty() const { return m_read == m_write; }
    std::size_t GetTxBufferUsedSpace() const { return (m_write + kSize - m_read) % kSize; }
    std::size_t GetTxBufferFreeSpace() const { return kCapacity - GetTxBufferUsedSpace(); }
    bool IsTxBufferFull() const { return GetTxBufferFreeSpace() == 0; }

    // False when the ring is full; the character is then not stored.
    bool Put(char c);
    // The next character, or 0xFF when the ring is empty.
    unsigned char GetTxBufferChar();
    void Clear() { m_read = m_write = 0; }

  private:
    std::array<char, kSize> m_buffer{};
    std::size_t m_read = 0;
    std::size_t m_write = 0;
};

inline constexpr std::size_t kMaxCWChunk = 24;
inline constexpr std::string_view kCWSeparators = " ,=.?+(%*";

struct CWChunk {
    std::string chunk;
    std::string leftover;
    std::size_t taken = 0;  // characters taken from the ring
};

// `leftover` is at most 23 characters.
CWChunk BuildCWChunk(std::string_view leftover, CWTextRing& ring);
