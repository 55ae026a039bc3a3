#include "server/log_text_model.h"

void LogTextModel::Append(std::string_view text) {
    text = text.substr(0, kMaxRecordBytes);
    if (text.find('\n') == std::string_view::npos) {
        appendPiece(text, true);
        return;
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            appendPiece(text, false);
            return;
        }
        std::string_view piece = text.substr(0, newline);
        if (!piece.empty() && piece.back() == '\r') {
            piece.remove_suffix(1);
        }
        appendPiece(piece, true);
        text.remove_prefix(newline + 1);
    }
}

void LogTextModel::appendPiece(std::string_view piece, bool lineEnd) {
    if (piece.empty()) {
        return;
    }
    if (LineCount() > kMaxLines) {
        m_text.clear();
        m_lineEnds = 0;
    }
    m_text += piece;
    if (lineEnd) {
        m_text += "\r\n";
        ++m_lineEnds;
    }
}
