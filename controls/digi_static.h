#pragma once

// CDigiStatic: a static text shown as lit and unlit LED segments (digits,
// blank and '-' with 7 segments, letters and a few signs with 14, point and
// colon as a narrow 3-dot character). The front panel's banner and the
// server's diagnostic display use it directly; the marquee and the clock
// (digi_clock.h) derive from it.
//
// Text, colours and style can change at any time; a text or style change
// rebuilds the characters at the next paint, a colour change only repaints.
// The paint covers the whole widget (no separate erase) and draws without
// antialiasing. GUI thread only.

#include "controls/digi_char.h"
#include "controls/looks.h"

#include <QString>
#include <QWidget>

#include <vector>

class CDigiStatic : public QWidget {
    Q_OBJECT
    // The text shown while the display text is "?" (the default): the dialog
    // builder's text for the control.
    Q_PROPERTY(QString initialText READ InitialText WRITE SetInitialText)

  public:
    explicit CDigiStatic(QWidget* parent = nullptr);
    ~CDigiStatic() override;

    // Shows `text` unless it equals the current text (then nothing happens).
    void SetText(const QString& text);
    // printf-style formatting, then SetText.
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    // Colours of unlit and lit segments; the same pair again changes nothing.
    void SetColor(COLORREF off, COLORREF on);
    // Returns the previous background colour.
    COLORREF SetBkColor(COLORREF color);
    // Removes and adds DIGI_ style bits. A bit both removed and added is a
    // caller error: FALSE, and nothing changes.
    bool ModifyDigiStyle(DWORD remove, DWORD add);
    // No background fill; the widget's mask becomes the drawn segment outlines.
    void SetTransparent(bool transparent);
    // Repaint at once on every change instead of scheduling an update.
    void SetDrawImmediately(bool immediately);

    QString GetText() const {
        return m_strText;
    }
    DWORD GetDigiStyle() const {
        return m_dwStyle;
    }
    COLORREF GetOffColor() const {
        return m_OffColor;
    }
    COLORREF GetOnColor() const {
        return m_OnColor;
    }
    COLORREF GetBkColor() const {
        return m_BackColor;
    }

    QString InitialText() const {
        return m_strInitialText;
    }
    void SetInitialText(const QString& text);

    // The characters the current text and style give (rebuilt when needed).
    const std::vector<CDigiChar>& GetDigiChars();

  protected:
    void paintEvent(QPaintEvent* event) override;

    // Rebuilds the characters when the text or style changed.
    void BuildString();
    // Schedules (or, with draw immediately, performs) a repaint.
    void Redraw();

    QString m_strText = QStringLiteral("?");
    bool m_bModified = true;

  private:
    std::vector<CDigiChar> m_DigiArray;
    COLORREF m_OffColor = looks::rgb(0, 0x34, 0);
    COLORREF m_OnColor = looks::rgb(0, 0xFF, 0);
    COLORREF m_BackColor = looks::rgb(0, 0, 0);
    DWORD m_dwStyle = DIGI_KEEPASPECT | DIGI_SOFTEDGE;
    bool m_bDrawImmediately = false;
    bool m_bTransparent = false;
    QString m_strInitialText;
};
