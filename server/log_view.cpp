#include "server/log_view.h"

#include <QCloseEvent>
#include <QString>
#include <QTextCursor>

namespace {

QString forDisplay(std::string_view text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

CLogView::CLogView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CLogView::AppendLogText(int /*level*/, const std::string& text) {
    m_model.Append(text);
    const std::string& now = m_model.Text();
    // Usually the record only added to the end; after the 400-line restart the text is new.
    if (now.size() >= m_shown.size() && now.compare(0, m_shown.size(), m_shown) == 0) {
        const std::string_view added = std::string_view(now).substr(m_shown.size());
        if (!added.empty()) {
            QTextCursor cursor(document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(forDisplay(added));
        }
    } else {
        setPlainText(forDisplay(now));
    }
    m_shown = now;
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

CLogFrame::CLogFrame(CLogView* view, QWidget* parent)
    : QMdiSubWindow(parent, kWindowFlags), m_view(view) {
    setWidget(view);
    setAttribute(Qt::WA_DeleteOnClose);
}

void CLogFrame::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        emit closed(this);
    }
}
