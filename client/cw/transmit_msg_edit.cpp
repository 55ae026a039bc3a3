#include "client/cw/transmit_msg_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <string>

#include "controls/looks.h"

namespace {

std::u32string toU32(const QString& text) {
    const QList<uint> codes = text.toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

}  // namespace

CTransmitMsgEdit::CTransmitMsgEdit(QWidget* parent) : QLineEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
    setObjectName(QStringLiteral("typeIn"));
}

int CTransmitMsgEdit::selStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int CTransmitMsgEdit::selEnd() const {
    return hasSelectedText() ? selectionEnd() : cursorPosition();
}

void CTransmitMsgEdit::apply(const cw::TypeInCutter::Result& result) {
    if (result.beep) {
        looks::beep();
    }
    const QString line = QString::fromLatin1(m_cutter.line());
    if (text() != line) {
        setText(line);
    }
    setCursorPosition(m_cutter.caret());
}

void CTransmitMsgEdit::InsertText(const QString& text) {
    apply(m_cutter.insert(toU32(text), selStart(), selEnd(), m_sender));
}

void CTransmitMsgEdit::Clear() {
    m_cutter.clear();
    apply({});
}

void CTransmitMsgEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->matches(QKeySequence::Paste)) {
        InsertText(QApplication::clipboard()->text());
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (hasSelectedText() && selectionStart() >= m_cutter.sentPosition()) {
            QApplication::clipboard()->setText(selectedText());
        }
        apply(m_cutter.erase(selStart(), selEnd()));
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return;
    }
    if (key == Qt::Key_Backspace) {
        apply(m_cutter.backspace(selStart(), selEnd()));
        return;
    }
    if (key == Qt::Key_Delete) {
        apply(m_cutter.erase(selStart(), selEnd()));
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        event->ignore();
        return;
    }
    const QString text = event->text();
    const bool printable =
        !text.isEmpty() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
        text.at(0).isPrint();
    if (printable) {
        InsertText(text);
        return;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        // Moves and selections only; no other shortcut may change the line.
        if (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy) ||
            event->matches(QKeySequence::MoveToNextWord) ||
            event->matches(QKeySequence::MoveToPreviousWord) ||
            event->matches(QKeySequence::SelectNextWord) ||
            event->matches(QKeySequence::SelectPreviousWord)) {
            QLineEdit::keyPressEvent(event);
        } else {
            event->ignore();
        }
        return;
    }
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            QLineEdit::keyPressEvent(event);
            return;
        default:
            event->ignore();
            return;
    }
}

void CTransmitMsgEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        InsertText(event->commitString());
    }
    event->accept();
}

void CTransmitMsgEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void CTransmitMsgEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        const QClipboard* clipboard = QApplication::clipboard();
        const QString text = clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection)
                                                            : clipboard->text();
        InsertText(text);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
