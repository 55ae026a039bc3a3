#include "controls/text_looks.h"

void TextLooks::SetFont(const looks::FontDescription* description) {
    if (description == nullptr) {
        return;
    }
    m_font = *description;
    applyFont(looks::makeFont(*m_font));
}

void TextLooks::SetFont(int height, int /*ignored*/, int pitchAndFamily, const QString& face) {
    looks::FontDescription d;
    d.face = face;
    d.height = height;
    d.weight = 400;
    d.pitchAndFamily = pitchAndFamily;
    SetFont(&d);
}

const looks::FontDescription* TextLooks::GetFontDescription() const {
    return m_font ? &*m_font : nullptr;
}

COLORREF TextLooks::SetBkColor(COLORREF color) {
    const COLORREF previous = m_bkColor;
    m_bkColor = color;
    applyColors();
    return previous;
}

COLORREF TextLooks::SetTextColor(COLORREF color) {
    const COLORREF previous = m_textColor;
    m_textColor = color;
    applyColors();
    return previous;
}

void TextLooks::assignLooks(const TextLooks& other) {
    SetBkColor(other.m_bkColor);
    SetTextColor(other.m_textColor);
    if (other.m_font) {
        SetFont(&*other.m_font);
    }
}
