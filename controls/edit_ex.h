#pragma once

// CEditEx: an edit box with its own text colour, background colour and font
// (TextLooks), used for the readouts and entry fields of both programs'
// dialogs. A read-only edit keeps its background colour. Optionally a
// character filter drops typed characters it rejects (with a beep), and a
// context menu of the caller's replaces the standard one; no dialog uses
// either so far.
//
// GUI thread only.

#include <QLineEdit>
#include <QMenu>
#include <QPointer>

#include <memory>

#include "controls/looks.h"
#include "controls/text_looks.h"

class CEditEx : public QLineEdit, public TextLooks {
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
    void applyColors() override;
    void applyFont(const QFont& font) override { setFont(font); }

    std::unique_ptr<CharFilter> m_filter;
    QPointer<QMenu> m_contextMenu;
};
