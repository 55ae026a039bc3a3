#include "controls/digi_static.h"

#include <QBrush>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QRegion>

#include <cstdarg>

CDigiStatic::CDigiStatic(QWidget* parent) : QWidget(parent) {
    // Every paint covers the whole widget, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

CDigiStatic::~CDigiStatic() = default;

void CDigiStatic::SetText(const QString& text) {
    if (text == m_strText) {
        return;
    }
    m_strText = text;
    m_bModified = true;
    Redraw();
}

void CDigiStatic::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    SetText(text);
}

void CDigiStatic::SetColor(COLORREF off, COLORREF on) {
    if (off == m_OffColor && on == m_OnColor) {
        return;
    }
    m_OffColor = off;
    m_OnColor = on;
    Redraw();
}

COLORREF CDigiStatic::SetBkColor(COLORREF color) {
    const COLORREF previous = m_BackColor;
    if (color != previous) {
        m_BackColor = color;
        Redraw();
    }
    return previous;
}

bool CDigiStatic::ModifyDigiStyle(DWORD remove, DWORD add) {
    if ((remove & add) != 0) {
        return false;
    }
    m_dwStyle = (m_dwStyle | add) & ~remove;
    m_bModified = true;
    Redraw();
    return true;
}

void CDigiStatic::SetTransparent(bool transparent) {
    m_bTransparent = transparent;
    // A transparent display lets its parent show between the segments.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    if (!transparent) {
        clearMask();
    }
}

void CDigiStatic::SetDrawImmediately(bool immediately) {
    m_bDrawImmediately = immediately;
}

void CDigiStatic::SetInitialText(const QString& text) {
    m_strInitialText = text;
    if (m_strText == QLatin1String("?")) {
        m_bModified = true;
        Redraw();
    }
}

const std::vector<CDigiChar>& CDigiStatic::GetDigiChars() {
    BuildString();
    return m_DigiArray;
}

void CDigiStatic::Redraw() {
    if (m_bTransparent) {
        clearMask();
    }
    if (m_bDrawImmediately) {
        repaint();
    } else {
        update();
    }
}

void CDigiStatic::BuildString() {
    if (!m_bModified) {
        return;
    }
    m_DigiArray.clear();
    if (m_strText == QLatin1String("?")) {
        m_strText = m_strInitialText;
    }
    const QString upper = m_strText.toUpper();
    for (const QChar c : upper) {
        if (std::unique_ptr<CDigiChar> digi = CreateDigiChar(c, m_dwStyle)) {
            m_DigiArray.push_back(*digi);
        }
    }
    m_bModified = false;
}

void CDigiStatic::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect client = rect();
    if (!m_bTransparent) {
        painter.fillRect(client, looks::toQColor(m_BackColor));
    }

    const bool softEdge = (m_dwStyle & DIGI_SOFTEDGE) != 0;
    const QBrush offBrush(looks::toQColor(m_OffColor));
    const QBrush onBrush(looks::toQColor(m_OnColor));
    const QPen offPen(looks::toQColor(DigiPenColor(m_OffColor, m_BackColor, softEdge)), 1);
    const QPen onPen(looks::toQColor(DigiPenColor(m_OnColor, m_BackColor, softEdge)), 1);

    BuildString();
    int total = 0;
    for (const CDigiChar& digi : m_DigiArray) {
        total += digi.GetWidth();
    }
    // An empty text (or one of characters outside the set) has no units to
    // spread over the width: the background is all there is to paint.
    if (total == 0) {
        return;
    }

    const DigiLayout layout =
        LayoutDigiChars(total, client.width(), client.height(), (m_dwStyle & DIGI_KEEPASPECT) != 0);
    QRegion region;
    double x = layout.x0;
    for (const CDigiChar& digi : m_DigiArray) {
        const double right = x + digi.GetWidth() * layout.xunit;
        const DigiRect charRect{x, layout.y0, right, layout.y0 + kDigiCharHeight * layout.yunit};
        digi.Draw(&painter, charRect, offPen, onPen, offBrush, onBrush,
                  m_bTransparent ? &region : nullptr);
        x = right;
    }
    // Setting an unchanged mask does nothing, so the repaint a new mask asks
    // for ends here.
    if (m_bTransparent && region != mask()) {
        setMask(region);
    }
}
