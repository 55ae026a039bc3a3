#include "controls/stepped_value.h"

#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace {

QToolButton* makeArrow(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    return button;
}

}  // namespace

SteppedValue::SteppedValue(QWidget* parent) : QFrame(parent) {
    setFocusPolicy(Qt::StrongFocus);
    m_text = new QLabel(this);
    m_text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setAutoFillBackground(true);
    m_up = makeArrow(Qt::UpArrow, this);
    m_down = makeArrow(Qt::DownArrow, this);
    connect(m_up, &QToolButton::clicked, this, [this] { emit stepped(-1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit stepped(1); });
}

void SteppedValue::setText(const QString& text) {
    m_text->setText(text);
}

QString SteppedValue::text() const {
    return m_text->text();
}

void SteppedValue::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        emit stepped(-1);
    } else if (event->key() == Qt::Key_Down) {
        emit stepped(1);
    } else {
        QFrame::keyPressEvent(event);
    }
}

void SteppedValue::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // The arrows share a column as wide as half the height, the text takes the rest.
    const int arrowWidth = qMax(12, height() / 2 + 2);
    const int textWidth = qMax(0, width() - arrowWidth);
    m_text->setGeometry(0, 0, textWidth, height());
    const int upHeight = height() / 2;
    m_up->setGeometry(textWidth, 0, arrowWidth, upHeight);
    m_down->setGeometry(textWidth, upHeight, arrowWidth, height() - upHeight);
}
