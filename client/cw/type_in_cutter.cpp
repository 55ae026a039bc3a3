#include "client/cw/type_in_cutter.h"

#include <QtGlobal>

#include <algorithm>
#include <optional>

#include "client/cw/cw_text.h"

namespace cw {

int TypeInCutter::clampToTail(int position) const {
    return std::clamp(position, m_sent, static_cast<int>(m_line.size()));
}

TypeInCutter::Result TypeInCutter::insert(std::u32string_view text, int selStart, int selEnd,
                                          const Sender& send) {
    Result result;
    const std::optional<std::string> typed = TypedCwText(text);
    if (!typed) {
        result.beep = true;
        return result;
    }
    int from = clampToTail(std::min(selStart, selEnd));
    int to = clampToTail(std::max(selStart, selEnd));
    const int tail = static_cast<int>(m_line.size()) - m_sent;
    if (tail - (to - from) + static_cast<int>(typed->size()) > kLineLimit) {
        result.beep = true;
        return result;
    }
    m_line.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), *typed);
    m_caret = from + static_cast<int>(typed->size());
    result.changed = true;
    cutTokens(send, result);
    return result;
}

void TypeInCutter::cutTokens(const Sender& send, Result& result) {
    for (;;) {
        const std::string_view tail =
            std::string_view(m_line).substr(static_cast<std::size_t>(m_sent));
        std::string token;
        bool lineFull = false;
        if (m_sent == 0 && static_cast<int>(tail.size()) > kLineFull) {
            token = std::string(tail);
            lineFull = true;
        } else {
            const std::size_t separator = tail.find_first_of(kSeparators);
            if (separator != std::string_view::npos) {
                token = std::string(tail.substr(0, separator + 1));
            }
        }
        if (!token.empty()) {
            if (!send || !send(token)) {
                // Not taken: the word stays unsent and goes with the next
                // separator.
                break;
            }
            m_sent += static_cast<int>(token.size());
            result.tokens.push_back(token);
            qDebug("Token = %s, Length = %d, Next token anchor = %d", token.c_str(),
                   static_cast<int>(token.size()), m_sent);
            if (lineFull) {
                qDebug("LineInputBufferFull");
                clear();
                break;
            }
            continue;
        }
        break;
    }
    if (static_cast<int>(m_line.size()) > kLineFull && m_sent > 0) {
        // Keep only what is still to be sent; the sent text never returns to
        // the unsent part.
        const int caretInTail = std::max(m_caret - m_sent, 0);
        m_line.erase(0, static_cast<std::size_t>(m_sent));
        m_sent = 0;
        m_caret = std::min(caretInTail, static_cast<int>(m_line.size()));
        qDebug("BufferSize = %d, Buffer = %s", static_cast<int>(m_line.size()), m_line.c_str());
        // What is left may itself be a full line.
        if (static_cast<int>(m_line.size()) > kLineFull) {
            cutTokens(send, result);
        }
    }
}

TypeInCutter::Result TypeInCutter::backspace(int selStart, int selEnd) {
    Result result;
    int from = std::min(selStart, selEnd);
    const int to = std::max(selStart, selEnd);
    if (from == to) {
        from = to - 1;
    }
    if (from < m_sent || to > static_cast<int>(m_line.size()) || from < 0) {
        result.beep = true;
        return result;
    }
    m_line.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    m_caret = from;
    result.changed = true;
    return result;
}

TypeInCutter::Result TypeInCutter::erase(int selStart, int selEnd) {
    Result result;
    const int from = std::min(selStart, selEnd);
    int to = std::max(selStart, selEnd);
    if (from == to) {
        to = from + 1;
    }
    if (from < m_sent || to > static_cast<int>(m_line.size())) {
        return result;
    }
    m_line.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    m_caret = from;
    result.changed = true;
    return result;
}

void TypeInCutter::clear() {
    m_line.clear();
    m_sent = 0;
    m_caret = 0;
}

}  // namespace cw
