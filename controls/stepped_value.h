#pragma once

// SteppedValue: a value shown as a framed, read-only text with an up and a down arrow beside
// it, the configuration sheets' way of picking a port, a speed or an option. The owner keeps
// the value; the control only reports steps and shows the text it is given.
//
// A click on the up arrow, or the Up key while the control has the focus, reports a delta of
// -1; the down arrow or the Down key reports +1. The owner applies the step and calls
// setText with the new value's text.
//
// GUI thread only.

#include <QFrame>
#include <QString>

class QLabel;
class QToolButton;

class SteppedValue : public QFrame {
    Q_OBJECT

  public:
    explicit SteppedValue(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

  signals:
    // -1 for up, +1 for down.
    void stepped(int delta);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* m_text = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};
