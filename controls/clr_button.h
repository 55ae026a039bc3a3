#pragma once

// CClrButton: a push button with its own text, face and disabled-face colours
// and a hand-drawn 3-D frame. The front panel's coloured indicator buttons
// and the keyboard-CW window's "Abort TX!" button are of this class.
//
// A disabled button shows the disabled-face colour and engraved text whatever
// its face colour; enabling it again shows the face colour with no colour
// call. All colours come from the fixed system colour table, never the style.
//
// GUI thread only.

#include <QPushButton>

#include "controls/looks.h"

class QPainter;

class CClrButton : public QPushButton {
    Q_OBJECT

  public:
    // Frame styles of DrawFrame, combined by OR and applied in the order
    // black outline, raised, sunken.
    static constexpr unsigned kFrameSunken = 1;
    static constexpr unsigned kFrameRaised = 2;
    static constexpr unsigned kFrameOutline = 4;

    explicit CClrButton(QWidget* parent = nullptr);
    CClrButton(const QString& text, QWidget* parent);

    // Text and face colour; the disabled face goes back to the button-face
    // colour.
    void SetColors(COLORREF text, COLORREF face);
    void SetColors(COLORREF text, COLORREF face, COLORREF disabledFace);
    // The two-colour form under the name the dialogs call.
    void SetColor(COLORREF text, COLORREF face) { SetColors(text, face); }
    // Every colour back to its system value.
    void ResetColors();

    COLORREF TextColor() const { return m_textColor; }
    COLORREF FaceColor() const { return m_faceColor; }
    COLORREF DisabledFaceColor() const { return m_disabledFaceColor; }

    // Draws the frame rings of `style` on `rect` (outermost pixels first).
    void DrawFrame(QPainter& painter, QRect rect, unsigned style) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    COLORREF m_textColor;
    COLORREF m_faceColor;
    COLORREF m_disabledFaceColor;
    COLORREF m_lightColor;
    COLORREF m_highlightColor;
    COLORREF m_shadowColor;
    COLORREF m_darkShadowColor;
};
