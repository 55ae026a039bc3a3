#include "client/cw/cw_text.h"

namespace cw {

bool IsSeparator(char ch) {
    return ch != '\0' && kSeparators.find(ch) != std::string_view::npos;
}

std::optional<std::string> KeyableText(std::string_view text) {
    std::string keyable;
    keyable.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80) {
            return std::nullopt;
        }
        keyable.push_back(byte < 0x20 || byte == 0x7F ? ' ' : ch);
    }
    return keyable;
}

std::optional<std::string> MemoryTextFault(std::string_view text) {
    // Counted in characters of the stored UTF-8, not bytes.
    std::size_t chars = 0;
    bool ascii = true;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        ascii = ascii && byte < 0x80;
        chars += (byte & 0xC0) != 0x80 ? 1 : 0;
    }
    if (chars > kMaxMemoryTextChars) {
        return "longer than 253 characters";
    }
    if (!ascii) {
        return "only ASCII characters can be keyed";
    }
    return std::nullopt;
}

std::optional<std::string> TypedCwText(std::u32string_view input) {
    std::string text;
    text.reserve(input.size());
    for (const char32_t ch : input) {
        if (ch == U'\t' || ch == U'\r' || ch == U'\n') {
            text.push_back(' ');
        } else if (ch >= 0x20 && ch <= 0x7E) {
            text.push_back(static_cast<char>(ch));
        } else {
            return std::nullopt;
        }
    }
    return text;
}

std::vector<std::string> SplitCWText(std::string_view text) {
    std::vector<std::string> pieces;
    while (!text.empty()) {
        std::size_t length = text.size();
        if (length > kMaxCallChars) {
            length = kMaxCallChars;
            const std::string_view window = text.substr(0, kMaxCallChars);
            const std::size_t last = window.find_last_of(kSeparators);
            if (last != std::string_view::npos) {
                length = last + 1;
            }
        }
        pieces.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return pieces;
}

bool PendingText::keyed(std::string_view chunk) {
    const bool matched = std::string_view(m_text).substr(0, chunk.size()) == chunk;
    if (m_text.size() <= chunk.size()) {
        m_text.clear();
    } else {
        m_text.erase(0, chunk.size());
    }
    return matched;
}

}  // namespace cw
