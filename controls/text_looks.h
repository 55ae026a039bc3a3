#pragma once

// TextLooks: the font, text colour and background colour that CEditEx and
// CStaticEx keep for their text. Each setter stores the value and hands it to
// the control (applyColors, applyFont), which decides how its palette shows
// the colours.
//
// GUI thread only.

#include <QFont>

#include <optional>

#include "controls/looks.h"

class TextLooks {
  public:
    virtual ~TextLooks() = default;
    TextLooks(const TextLooks&) = delete;
    TextLooks& operator=(const TextLooks&) = delete;

    // The control's own font; a null description changes nothing.
    void SetFont(const looks::FontDescription* description);
    // A font of that height, normal weight, pitch and family, and face. The
    // second argument is ignored.
    void SetFont(int height, int ignored, int pitchAndFamily, const QString& face);
    // The last font set, or null.
    const looks::FontDescription* GetFontDescription() const;

    // Each returns the previous colour.
    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetBkColor() const { return m_bkColor; }
    COLORREF GetTextColor() const { return m_textColor; }

  protected:
    TextLooks(COLORREF bkColor, COLORREF textColor) : m_bkColor(bkColor), m_textColor(textColor) {}

    // Takes the other control's colours and, when it has one, its font.
    void assignLooks(const TextLooks& other);

    // Shows the current colours; called by every colour setter.
    virtual void applyColors() = 0;
    // Shows a font; called by SetFont.
    virtual void applyFont(const QFont& font) = 0;

  private:
    COLORREF m_bkColor;
    COLORREF m_textColor;
    std::optional<looks::FontDescription> m_font;
};
