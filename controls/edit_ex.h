#pragma once

// CEditEx: an edit box with its own text colour, background colour and font,
// used for the readouts and entry fields of both programs' dialogs. A
// read-only edit keeps its background colour. Optionally a character filter
// drops typed characters it rejects (with a beep), and a context menu of the
// caller's replaces the standard one; no dialog uses either so far.
//
// GUI thread only.

#include <QLineEdit>
#include <QMenu>
#include <QPointer>

#include <memory>
#include <optional>

#include "controls/looks.h"

class CEditEx : public QLineEdit {
    Q_OBJECT

  public:
    // Asked for every typed printable character; true accepts it.
    class CharFilter {
      public:
        virtual ~CharFilter() = default;
        virtual bool Accept(char32_t ch) const = 0;
    };

    explicit CEditEx(QWidget* parent = nullptr);
    ~CEditEx() override;

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

    // Owned; null removes the filter.
    void SetCharFilter(std::unique_ptr<CharFilter> filter);
    // Not owned; null (the default) shows the standard menu.
    void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }

    // Takes the other edit's colours and font; nothing for itself.
    void Assign(const CEditEx& other);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void applyColors();

    COLORREF m_bkColor;
    COLORREF m_textColor;
    std::unique_ptr<CharFilter> m_filter;
    std::optional<looks::FontDescription> m_font;
    QPointer<QMenu> m_contextMenu;
};
