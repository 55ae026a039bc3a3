#pragma once

// CHighLightButton: a push button whose face is filled with a highlight
// colour (yellow) while the cursor is over it. A 100 ms timer ends the hover
// at its first tick after the cursor left, so a quick pass leaves the button
// lit until that tick.
//
// CHighLightTTButton adds a tooltip and a notify window: when the hover
// starts it sends the foreground notice (WM_MOVE_WINFOREGROUND) once; the
// keyboard-CW window's memory keys F1 to F11 use it to bring that window
// forward.
//
// GUI thread only.

#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "controls/looks.h"

class CHighLightButton : public QPushButton {
    Q_OBJECT

  public:
    static constexpr int kHoverCheckMs = 100;

    explicit CHighLightButton(QWidget* parent = nullptr);
    CHighLightButton(const QString& text, QWidget* parent);

    bool IsHovered() const { return m_hovered; }
    COLORREF HighlightColor() const { return m_highlightColor; }
    // The hover check timer (running while hovered).
    const QTimer& HoverTimer() const { return m_timer; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // Called once when the hover starts, after the button is marked hovered.
    virtual void hoverStarted() {}

  private:
    void startHover();
    void checkHover();

    bool m_hovered = false;
    bool m_cursorInside = false;
    QTimer m_timer;
    COLORREF m_highlightColor = 0x00FFFF;
};

class CHighLightTTButton : public CHighLightButton {
    Q_OBJECT

  public:
    explicit CHighLightTTButton(QWidget* parent = nullptr);
    CHighLightTTButton(const QString& text, QWidget* parent);

    // Sets the tooltip text and activates or deactivates the tooltip. A null
    // text changes nothing.
    void SetTooltipText(const QString* text, bool activate = true);
    // Only once a text has been set.
    void ActivateTooltip(bool activate);

    // The window that wants the foreground notice (not owned; null = none).
    // It connects to moveWinForeground().
    void SetNotifyWindow(QObject* window) { m_notifyWindow = window; }

  signals:
    // The foreground notice, queued after the event that started the hover.
    void moveWinForeground();

  protected:
    void hoverStarted() override;

  private:
    void applyTooltip();

    QPointer<QObject> m_notifyWindow;
    bool m_hasTool = false;
    bool m_tipActive = false;
    QString m_tipText;
};
