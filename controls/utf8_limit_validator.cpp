#include "controls/utf8_limit_validator.h"

#include <QLineEdit>

#include <algorithm>

Utf8LimitValidator::Utf8LimitValidator(std::size_t maxBytes, QLineEdit* edit)
    : QValidator(edit), m_maxBytes(maxBytes) {
    // While validating, the edit already holds the changed text: the text
    // before the change is the one it last showed.
    if (edit != nullptr) {
        m_previous = edit->text();
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_previous = text; });
    }
}

QString Utf8LimitValidator::CutToBytes(const QString& inserted, std::size_t maxBytes) {
    std::size_t bytes = 0;
    qsizetype end = 0;
    while (end < inserted.size()) {
        const bool pair = inserted.at(end).isHighSurrogate() && end + 1 < inserted.size() &&
                          inserted.at(end + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const std::size_t size = static_cast<std::size_t>(inserted.mid(end, units).toUtf8().size());
        if (bytes + size > maxBytes) {
            break;
        }
        bytes += size;
        end += units;
    }
    return inserted.left(end);
}

QValidator::State Utf8LimitValidator::validate(QString& input, int& pos) const {
    if (static_cast<std::size_t>(input.toUtf8().size()) <= m_maxBytes) {
        return Acceptable;
    }
    const QString& before = m_previous;
    // What stayed of the old text in front of and behind the change.
    qsizetype head = 0;
    const qsizetype most = std::min(before.size(), input.size());
    while (head < most && before.at(head) == input.at(head)) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < most - head &&
           before.at(before.size() - 1 - tail) == input.at(input.size() - 1 - tail)) {
        ++tail;
    }
    const QString kept = input.left(head) + input.right(tail);
    const std::size_t keptBytes = static_cast<std::size_t>(kept.toUtf8().size());
    if (keptBytes > m_maxBytes) {
        // Even the old text did not fit (set from elsewhere): its first bytes.
        input = CutToBytes(input, m_maxBytes);
        pos = static_cast<int>(std::min<qsizetype>(pos, input.size()));
        return Acceptable;
    }
    const QString inserted = input.mid(head, input.size() - head - tail);
    const QString taken = CutToBytes(inserted, m_maxBytes - keptBytes);
    input = input.left(head) + taken + input.right(tail);
    pos = static_cast<int>(head + taken.size());
    return Acceptable;
}
