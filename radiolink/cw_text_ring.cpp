#include "radiolink/cw_text_ring.h"

bool CWTextRing::Put(char c) {
    if (IsTxBufferFull())
        return false;
    m_buffer[m_write] = c;
    m_write = (m_write + 1) % kSize;
    return true;
}

unsigned char CWTextRing::GetTxBufferChar() {
    if (IsTxBufferEmpty())
        return 0xFF;
    const auto c = static_cast<unsigned char>(m_buffer[m_read]);
    m_read = (m_read + 1) % kSize;
    return c;
}

CWChunk BuildCWChunk(std::string_view leftover, CWTextRing& ring) {
    CWChunk out;
    out.chunk.assign(leftover.substr(0, kMaxCWChunk - 1));
    const std::size_t waiting = ring.GetTxBufferUsedSpace();
    const std::size_t room = kMaxCWChunk - out.chunk.size();
    const std::size_t k = waiting + out.chunk.size() >= kMaxCWChunk ? room : waiting;

    std::string taken;
    taken.reserve(k);
    for (std::size_t i = 0; i < k; ++i)
        taken.push_back(static_cast<char>(ring.GetTxBufferChar()));
    out.taken = k;

    const std::size_t cut = taken.find_last_of(kCWSeparators);
    if (cut == std::string::npos) {
        out.chunk += taken;
    } else {
        out.chunk.append(taken, 0, cut + 1);
        out.leftover = taken.substr(cut + 1);
    }
    return out;
}
