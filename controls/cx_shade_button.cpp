#include "controls/cx_shade_button.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

#include "controls/dialog_group.h"
#include "controls/edge_draw.h"

namespace {

constexpr int kMaxFaceNameLength = 31;

// The embossed look of a disabled icon: its shape in the highlight colour one
// pixel down and right, then in the shadow colour on top.
QImage tinted(const QPixmap& picture, const QColor& color) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), color);
    return image;
}

void drawDisabledIcon(QPainter& painter, const QPoint& at, const QPixmap& icon) {
    painter.drawImage(at + QPoint(1, 1),
                      tinted(icon, looks::sysColor(looks::SysColor::BtnHighlight)));
    painter.drawImage(at, tinted(icon, looks::sysColor(looks::SysColor::BtnShadow)));
}

}  // namespace

CxShadeButton::CxShadeButton(QWidget* parent, unsigned style)
    : CxShadeButton(QString(), parent, style) {}

CxShadeButton::CxShadeButton(const QString& text, QWidget* parent, unsigned style)
    : QPushButton(text, parent), m_textColor(looks::sysColorRef(looks::SysColor::BtnText)) {
    setCheckable(false);
    setAutoDefault(false);
    setMouseTracking(true);
    applyStyle(style);
}

CxShadeButton::~CxShadeButton() = default;

void CxShadeButton::applyStyle(unsigned style) {
    m_pushLike = (style & kStylePushLike) != 0;
    m_flat = (style & kStyleFlat) != 0;
    switch (style & kStyleCenter) {
        case kStyleLeft:
            m_textAlign = Qt::AlignLeft;
            break;
        case kStyleRight:
            m_textAlign = Qt::AlignRight;
            break;
        default:
            m_textAlign = Qt::AlignHCenter;
            break;
    }
    if ((style & 3) == 3) {
        m_kind = kCheckBox;
    } else if ((style & 9) == 9) {
        m_kind = kRadioButton;
    } else {
        m_kind = kPushButton;
        m_pushLike = true;
    }
    m_border = m_pushLike;
}

void CxShadeButton::SetButtonStyle(unsigned style, bool redraw) {
    applyStyle(style);
    if (m_kind == kPushButton) {
        m_checked = 0;
    }
    if (redraw) {
        update();
    }
}

void CxShadeButton::SetShade(unsigned shadeType, std::uint8_t granularity, std::uint8_t highlight,
                             std::uint8_t coloring, COLORREF color) {
    m_shade = ShadeParams{shadeType, granularity, highlight, coloring, color};
    m_faces = buildShadeFaces(width(), height(), m_focusMargin, *m_shade);
    update();
}

void CxShadeButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    if (m_shade) {
        m_faces = buildShadeFaces(width(), height(), m_focusMargin, *m_shade);
    }
    placeIcon();
}

bool CxShadeButton::SetTextFont(const QString& faceName, int height, int weight, bool italic,
                                bool underline) {
    looks::FontDescription d = m_fontDescription.value_or(looks::FontDescription{});
    d.face = faceName.left(kMaxFaceNameLength);
    d.height = height;
    d.weight = weight;
    d.italic = italic;
    d.underline = underline;
    return SetFont(&d);
}

bool CxShadeButton::SetFont(const looks::FontDescription* description) {
    if (description == nullptr) {
        return false;
    }
    m_fontDescription = *description;
    setFont(looks::makeFont(*m_fontDescription));
    update();
    return true;
}

const looks::FontDescription* CxShadeButton::GetFont() const {
    return m_fontDescription ? &*m_fontDescription : nullptr;
}

QFont CxShadeButton::drawingFont() const {
    if (m_fontDescription) {
        return font();
    }
    // The stock dialog font of buttons that were given none.
    looks::FontDescription d;
    d.face = QStringLiteral("MS Sans Serif");
    return looks::makeFont(d);
}

COLORREF CxShadeButton::SetTextColor(COLORREF color) {
    const COLORREF previous = m_textColor;
    m_textColor = color;
    update();
    return previous;
}

void CxShadeButton::SetFlat(bool flat) {
    m_flat = flat;
    update();
}

void CxShadeButton::SetToolTipText(const QString& text, const QString& checkedText) {
    m_tipText = text;
    m_tipTextChecked = checkedText;
    m_tipCreated = true;
    updateToolTip();
}

void CxShadeButton::updateToolTip() {
    if (!m_tipCreated) {
        return;
    }
    setToolTip(m_checked && !m_tipTextChecked.isEmpty() ? m_tipTextChecked : m_tipText);
}

void CxShadeButton::SetIcon(const QPixmap& icon, int alignment, const QPixmap& pressedIcon,
                            const QPixmap& hoverIcon) {
    m_icon = QPixmap();
    m_iconPressed = QPixmap();
    m_iconHover = QPixmap();
    m_iconRect = QRect();
    m_iconAlign = (alignment == kIconLeft || alignment == kIconRight) ? alignment : kIconCenter;
    if (!icon.isNull()) {
        m_icon = icon;
        m_iconPressed = pressedIcon.isNull() ? icon : pressedIcon;
        m_iconHover = hoverIcon.isNull() ? icon : hoverIcon;
    }
    placeIcon();
    update();
}

void CxShadeButton::placeIcon() {
    if (m_icon.isNull()) {
        m_iconRect = QRect();
        return;
    }
    // The hotspot is the picture's centre; the icon is twice the hotspot.
    const int xHot = m_icon.width() / 2;
    const int yHot = m_icon.height() / 2;
    const int w = width();
    const int h = height();
    QPoint at;
    switch (m_iconAlign) {
        case kIconLeft:
            at = QPoint(m_focusMargin, std::max(h / 2 - yHot, 0));
            break;
        case kIconRight:
            at = QPoint(w - 2 * xHot - m_focusMargin, std::max(h / 2 - yHot, 0));
            break;
        default:
            at = QPoint(std::max(w / 2 - xHot, 0), std::max(h / 2 - 2 * yHot, 0));
            break;
    }
    m_iconRect = QRect(at, QSize(2 * xHot, 2 * yHot));
}

void CxShadeButton::SetCheck(int check) {
    m_checked = check != 0 ? 1 : 0;
    if (m_kind == kPushButton) {
        m_checked = 0;
    }
    if (m_kind == kRadioButton && m_checked && m_group != nullptr) {
        // Unchecked here and now, not by a posted notice, so that checking
        // two members in a row leaves exactly the last one checked.
        for (QWidget* member : m_group->members()) {
            if (member == this) {
                continue;
            }
            if (auto* other = qobject_cast<CxShadeButton*>(member)) {
                other->OnCxShadeRadio();
            }
        }
    }
    if (m_tipCreated) {
        QToolTip::hideText();
        updateToolTip();
    }
    update();
}

void CxShadeButton::OnCxShadeRadio() {
    if (!m_checked) {
        return;
    }
    m_checked = 0;
    if (m_tipCreated) {
        setToolTip(m_tipText);
    }
    update();
}

void CxShadeButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_hovering = false;
    }
    QPushButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
    }
}

void CxShadeButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed &&
        rect().contains(event->position().toPoint())) {
        if (m_kind == kCheckBox) {
            SetCheck(!m_checked);
        } else if (m_kind == kRadioButton) {
            SetCheck(1);
        }
    }
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
    }
    QPushButton::mouseReleaseEvent(event);
}

void CxShadeButton::mouseMoveEvent(QMouseEvent* event) {
    // While pressed the base class follows the cursor on and off the button
    // (the pushed look); otherwise the first move arms the hover face.
    if (!m_pressed && !m_hovering && rect().contains(event->position().toPoint())) {
        m_hovering = true;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CxShadeButton::enterEvent(QEnterEvent* event) {
    if (!m_pressed && !m_hovering) {
        m_hovering = true;
        update();
    }
    QPushButton::enterEvent(event);
}

void CxShadeButton::leaveEvent(QEvent* event) {
    if (m_hovering) {
        m_hovering = false;
        update();
    }
    QPushButton::leaveEvent(event);
}

void CxShadeButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        if (m_kind == kCheckBox) {
            SetCheck(!m_checked);
        } else if (m_kind == kRadioButton) {
            SetCheck(1);
        }
    }
    QPushButton::keyPressEvent(event);
}

void CxShadeButton::focusOutEvent(QFocusEvent* event) {
    m_pressed = false;
    QPushButton::focusOutEvent(event);
}

void CxShadeButton::paintEvent(QPaintEvent* /*event*/) {
    const QRect item = rect();
    if (item.isEmpty()) {
        return;
    }
    QImage canvas(item.size(), QImage::Format_RGB32);
    {
        QPainter p(&canvas);
        p.setFont(drawingFont());
        const int m = m_focusMargin;
        QRect textRect = item.adjusted(m + 2, 0, -(m + 2), 0);
        const bool hasIcon = !m_icon.isNull();
        if (hasIcon) {
            switch (m_iconAlign) {
                case kIconLeft:
                    textRect.setLeft(textRect.left() + m_iconRect.width());
                    break;
                case kIconRight:
                    textRect.setRight(textRect.right() - m_iconRect.width());
                    break;
                default:
                    textRect.setTop(m_iconRect.top() + m_iconRect.height());
                    textRect.setBottom(textRect.bottom() - (m + 1));
                    break;
            }
        }
        auto drawFace = [&](const CxDib& face, int at) {
            if (face.IsValid()) {
                face.Draw(p, at, at);
            } else {
                p.fillRect(item, looks::sysColor(looks::SysColor::BtnFace));
            }
        };
        QColor textColor = looks::toQColor(m_textColor);
        bool focusLines = false;

        if (!isEnabled()) {
            drawFace(m_faces.disabled, 0);
            if (hasIcon) {
                drawDisabledIcon(p, m_iconRect.topLeft(), m_icon);
            }
            if (m_border && !m_flat) {
                edges::drawEdge(p, item, edges::kEdgeRaised);
            }
            // Embossed: a light copy, then the grey text one pixel up and left.
            p.setPen(looks::sysColor(looks::SysColor::BtnHighlight));
            p.drawText(textRect, int(m_textAlign | Qt::AlignVCenter | Qt::TextSingleLine), text());
            textRect.translate(-1, -1);
            textColor = looks::sysColor(looks::SysColor::GrayText);
        } else if (isDown() || m_checked) {
            const int b = m_border ? 1 : 0;
            drawFace(m_faces.checked, b);
            if (hasIcon) {
                const QPoint shift = m_pushLike ? QPoint(1, 1) : QPoint(0, 0);
                p.drawPixmap(m_iconRect.topLeft() + shift, m_iconPressed);
            }
            if (m_pushLike) {
                textRect.translate(1, 1);
            }
            if (m_border) {
                if (m_flat) {
                    edges::draw3dRect(p, item, looks::sysColor(looks::SysColor::BtnShadow),
                                      looks::sysColor(looks::SysColor::BtnHighlight));
                } else {
                    edges::drawEdge(p, item, edges::kEdgeSunken);
                }
            }
            focusLines = true;
        } else {
            const bool hoverFace = m_hovering && m_faces.hover.IsValid();
            drawFace(hoverFace ? m_faces.hover : m_faces.normal, 0);
            if (hasIcon) {
                p.drawPixmap(m_iconRect.topLeft(), m_hovering ? m_iconHover : m_icon);
            }
            if (m_border && (m_hovering || !m_flat)) {
                if (isDefault()) {
                    edges::drawEdge(p, item, edges::kEdgeSunken);
                    edges::drawEdge(p, item.adjusted(1, 1, -1, -1), edges::kEdgeRaised);
                } else if (m_flat) {
                    edges::draw3dRect(p, item, looks::sysColor(looks::SysColor::BtnHighlight),
                                      looks::sysColor(looks::SysColor::BtnShadow));
                } else {
                    edges::drawEdge(p, item, edges::kEdgeRaised);
                }
            }
            focusLines = true;
        }

        if (focusLines && hasFocus() && m > 0) {
            // The focus rectangle's edges, in the coordinates of the item
            // shrunk by the margin (right and bottom one past the last pixel).
            const int left = m;
            const int top = m;
            const int right = item.width() - m;
            const int bottom = item.height() - m;
            m_faces.focusHorizontal.Draw(p, left + 1, top);
            m_faces.focusHorizontal.Draw(p, left + 1, bottom);
            m_faces.focusVertical.Draw(p, left, top + 1);
            m_faces.focusVertical.Draw(p, right, top + 1);
        }

        p.setPen(textColor);
        p.drawText(textRect, int(m_textAlign | Qt::AlignVCenter | Qt::TextSingleLine), text());
    }
    QPainter widgetPainter(this);
    widgetPainter.drawImage(0, 0, canvas);
}
