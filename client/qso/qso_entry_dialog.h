#pragma once

// QsoEntryDialog: what the two QSO entry windows share, the normal "QSO
// Information" (CQSOInfoDlg) and the contest "Contest QSO Information"
// (CContestQSOInfoDlg) window: the Log It, Clear and Set Macro buttons, the
// "Search Log" popup, the CW keys and Alt+X for the front panel, show, hide
// and placement beside the panel. The windows differ only in their boxes,
// their macro slots and whether Clear asks first.
//
// Made by the QSO info object (through MakeQsoEntryWindow) as a top-level,
// modeless window that opens itself beside the panel; it sends a Log It, a
// search and the panel's commands through the links it is given. The
// macro values go to the client settings store.
//
// Keys: one event filter on the window and every child sees each key press
// before the focused box or button does. Esc and F1 to F11 go on to the
// window afterwards (Esc ends in reject(), which keeps the window open right
// after an Esc); Alt+C, Alt+L, Alt+S and Alt+X end in the filter, so the
// letter is not typed into a box.
//
// GUI thread only.

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstddef>
#include <string>

#include "client/qso/qso_info.h"
#include "client/qso/qso_text_filter.h"
#include "controls/looks.h"

class CEditEx;
class CxShadeButton;
class QMenu;

namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class QsoEntryDialog : public QDialog, public pelorin::IQsoEntryWindow {
    Q_OBJECT

  public:
    ~QsoEntryDialog() override;

    // --- pelorin::IQsoEntryWindow ---
    int Style() const override { return m_style; }
    void Show() override;
    void Toggle() override;
    void Place() override;
    QRect Rect() const override;
    void MoveInto(const QRect& rect) override;
    void ShowEntry(const pelorin::QSO_LOG_ENTRY& entry) override;

    // The buttons and the popup's command.
    void OnLogIt();
    void OnSetMacro();
    void OnClear();
    void OnSearchLog();

    // Hides the window, unless Esc has just been pressed: then the Esc is
    // used up and the window stays.
    void reject() override;

    bool IsShown() const { return m_bShown; }
    CEditEx* callEdit() const { return m_call; }
    CxShadeButton* logItButton() const { return m_logIt; }
    CxShadeButton* clearButton() const { return m_clear; }
    CxShadeButton* setMacroButton() const { return m_setMacro; }
    // Made on the first right click; null before.
    QMenu* popupMenu() const { return m_popup; }

  protected:
    // `sizeDlu` the window's size in dialog units; `panel` (may be null) picks
    // the screen a window that does not fit beside the panel is centred on.
    QsoEntryDialog(int style, const QString& title, QSize sizeDlu, pelorin::CRegistryStore& store,
                   pelorin::QsoEntryWindowLinks links, QWidget* panel);

    // A label at (x, y + 2) and its box at `box` (dialog units), in the
    // window's blue or teal, Times New Roman bold of `fontHeight`.
    CEditEx* AddBox(const char* label, int labelX, int labelWidth, const QRect& boxDlu,
                    COLORREF color, int fontHeight, std::size_t maxChars,
                    pelorin::QsoBlanks blanks);
    // The three buttons on the row at `y`, left to right: Log It, Clear, Set Macro.
    void AddButtons(int y);
    // Sets the call box. The subclass makes it first, so it takes the focus.
    void SetCallEdit(CEditEx* edit) { m_call = edit; }

    // Fills the boxes from the macro slots, places the window and shows it.
    // The subclass calls it last in its constructor.
    void Open();

    // The entry of the boxes' texts (call as typed); the window's kind set.
    virtual pelorin::QSO_LOG_ENTRY TakeTexts() const = 0;
    virtual void SetTexts(const pelorin::QSO_LOG_ENTRY& entry) = 0;
    virtual void LoadMacros() = 0;
    virtual void StoreMacros() = 0;
    // Empties the boxes and their macro slots, asking first where the window does.
    virtual void ClearTexts() = 0;

    pelorin::CRegistryStore& store() { return m_store; }
    std::string Slot(int slot) const;
    void SetSlot(int slot, const std::string& text);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // True when the key ends here.
    bool HandleAltLetter(const QKeyEvent& key);
    void HandleWindowKey(const QKeyEvent& key);
    void SendToPanel(int cmd, long param);

    const int m_style;
    pelorin::CRegistryStore& m_store;
    pelorin::QsoEntryWindowLinks m_links;
    QPointer<QWidget> m_panel;

    CEditEx* m_call = nullptr;
    CxShadeButton* m_logIt = nullptr;
    CxShadeButton* m_clear = nullptr;
    CxShadeButton* m_setMacro = nullptr;
    QMenu* m_popup = nullptr;

    bool m_bShown = false;
    bool m_bEsc = false;
};
