#pragma once

// CTransmitMsgEdit: the keyboard-CW window's type-in line.
//
// Every change of the line (a typed character, a paste, a cut, Backspace,
// Delete, an input method's commit, a middle-button paste) goes through its
// TypeInCutter, which hands each finished word to the sender and keeps the
// sent text from being edited. Undo, redo, drag and drop and the context menu
// are off; keys that are not the line's own are ignored here, so that they
// travel on to the window.
//
// Made by CCWTransmitDlg. GUI thread only.

#include <QLineEdit>

#include <utility>

#include "client/cw/type_in_cutter.h"

class CTransmitMsgEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit CTransmitMsgEdit(QWidget* parent = nullptr);

    void SetSender(cw::TypeInCutter::Sender sender) { m_sender = std::move(sender); }
    // Empty line, sent position 0, caret at the start.
    void Clear();
    const cw::TypeInCutter& cutter() const { return m_cutter; }

    // One input event as text, at the selection (paste, commit, typed).
    void InsertText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void apply(const cw::TypeInCutter::Result& result);
    int selStart() const;
    int selEnd() const;

    cw::TypeInCutter m_cutter;
    cw::TypeInCutter::Sender m_sender;
};
